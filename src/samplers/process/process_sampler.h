#pragma once
// Refreshes the process table, works out each process's share of the whole machine since the
// previous call and groups the processes into apps.

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
  ProcessSampler(std::shared_ptr<platform::ProcessTable> table, int32_t ownPID, Clock clock);

  SampleResult<ProcessListSnapshot> sample() override;

  // The running applications are asked again after this long.
  static constexpr uint64_t kRunningRefreshNanos = 9'999'999'999ULL;

 private:
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

  void setUpIfNeeded();
  BundleDetails loadBundleDetails(const std::string& path);
  void refreshRunningApplications(uint64_t now);
  bool canTerminate(const std::string& path, const BundleDetails& details, const std::vector<ProcessEntry>& members) const;

  std::shared_ptr<platform::ProcessTable> table_;
  Clock clock_;

  const int32_t ownPID_;
  std::string ownBundlePath_;  // set by the first sample
  bool didSetUp_ = false;
  std::optional<double> unitNanos_;
  int coreCount_ = 1;
  std::string systemGroupName_;
  std::unordered_map<std::string, BundleDetails> bundles_;
  std::optional<uint64_t> lastSampleUptime_;
  std::unordered_set<int32_t> runningPIDs_;
  std::optional<uint64_t> runningRefreshUptime_;
  std::unordered_set<std::string> groupsAtRunningRefresh_;
  std::unordered_map<std::string, GroupAccumulator> groupScratch_;
  std::vector<std::string> staleGroups_;
  size_t lastSystemProcessCount_ = 0;
};

// Helpers shared with the terminator and the tests.
namespace ProcessNames {
// "Foo.app" → "Foo"; names of at most 4 characters stay as they are.
std::string trimmingAppSuffix(std::string name);
// Larger footprint first; equal footprints by smaller pid.
void sortByFootprint(std::vector<ProcessEntry>& entries);
}  // namespace ProcessNames

}  // namespace kovra
