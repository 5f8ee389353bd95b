#pragma once
// Lists every process, reads its memory and processor time, works out each one's share of the
// whole machine since the previous call and groups the processes into apps.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/contracts.h"
#include "platform/process.h"

namespace kovra {

class ProcessSampler : public ProcessSampling {
 public:
  using Clock = std::function<uint64_t()>;  // monotonic uptime in ns

  // The live sampler on this platform.
  ProcessSampler();
  ProcessSampler(std::shared_ptr<platform::ProcessSource> source, int32_t ownPID, Clock clock);

  SampleResult<ProcessListSnapshot> sample() override;

  // A refused pid is asked again only after this long.
  static constexpr uint64_t kRetryRefusedNanos = 30'000'000'000ULL;
  // The running applications are asked again after this long.
  static constexpr uint64_t kRunningRefreshNanos = 9'999'999'999ULL;

 private:
  struct TrackedProcess {
    uint64_t startTime = 0;
    std::array<char, 16> comm{};
    uint64_t cpuTicks = 0;
    std::string name;
    std::optional<std::string> groupPath;
    uint32_t seen = 0;
  };
  struct UnreadableProcess {
    uint64_t lastAttempt = 0;
    uint32_t seen = 0;
  };
  struct BundleDetails {
    std::string name;
    std::optional<std::string> identifier;
    bool isProtected = false;
  };
  struct GroupAccumulator {
    uint64_t footprintBytes = 0;
    std::optional<double> cpuFraction;
    std::vector<ProcessEntry> processes;
  };
  struct Resolved {
    std::string name;
    std::optional<std::string> groupPath;
  };

  void setUpIfNeeded();
  SampleResult<size_t> listPIDs();
  Resolved resolve(int32_t pid);
  std::optional<std::string> executablePath(int32_t pid);
  std::optional<std::string> shortName(int32_t pid);
  BundleDetails loadBundleDetails(const std::string& path);
  void refreshRunningApplications(uint64_t now);
  bool canTerminate(const std::string& path, const BundleDetails& details, const std::vector<ProcessEntry>& members) const;

  std::shared_ptr<platform::ProcessSource> source_;
  Clock clock_;

  const int32_t ownPID_;
  const std::string ownBundlePath_;
  bool didSetUp_ = false;
  std::optional<double> ticksToNanos_;
  int coreCount_ = 1;
  std::string systemGroupName_;
  uint32_t generation_ = 0;
  std::unordered_map<int32_t, TrackedProcess> tracked_;
  std::unordered_map<int32_t, UnreadableProcess> unreadable_;
  std::unordered_map<std::string, BundleDetails> bundles_;
  std::optional<uint64_t> lastSampleUptime_;
  std::unordered_set<int32_t> runningPIDs_;
  std::optional<uint64_t> runningRefreshUptime_;
  std::unordered_set<std::string> groupsAtRunningRefresh_;
  std::vector<int32_t> pidBuffer_;
  std::unordered_map<std::string, GroupAccumulator> groupScratch_;
  std::vector<int32_t> stalePIDs_;
  std::vector<std::string> staleGroups_;
  size_t lastSystemProcessCount_ = 0;
};

// Helpers shared with the terminator and the tests.
namespace ProcessNames {
// The last non-empty piece of a "/"-separated path; absent when there is none.
std::optional<std::string> lastPathComponent(std::string_view path);
// "Foo.app" → "Foo"; names of at most 4 characters stay as they are.
std::string trimmingAppSuffix(std::string name);
// Larger footprint first; equal footprints by smaller pid.
void sortByFootprint(std::vector<ProcessEntry>& entries);
}  // namespace ProcessNames

}  // namespace kovra
