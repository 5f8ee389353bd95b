#pragma once
// Scriptable stand-ins for the per-pid process calls and the app control, for tests. App groups are
// worked out with the bundle rules: the outermost .app bundle of the executable, or else of
// the process named responsible for it.

#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/apps.h"
#include "platform/macos/process_source.h"

namespace kovra::platform {

using macos::ProcessCallNames;
using macos::ProcessUsage;
using macos::UsageFailure;

struct FakeProcess {
  Result<ProcessUsage, UsageFailure> usage = ProcessUsage{};
  std::optional<std::string> executablePath;
  std::optional<std::string> shortName;
  int32_t responsiblePID = 0;  // 0: none
};

class FakeProcessSource : public macos::ProcessSource {
 public:
  // Listing order; a pid listed here without an entry in `processes` is reported gone.
  std::vector<int32_t> pids;
  std::unordered_map<int32_t, FakeProcess> processes;
  std::optional<double> nanosPerTick = 1.0;
  int cores = 1;
  std::optional<int> listError;             // errno of a failing list call
  std::optional<size_t> listSizeAnswer;     // overrides the size query's answer
  std::map<std::string, AppGroupInfo> infos;  // default: display name = last path piece
  std::set<int32_t> running;
  std::string ownGroup;

  // What was asked.
  std::map<int32_t, int> usageCalls;
  std::map<int32_t, int> resolveCalls;
  std::map<std::string, int> infoCalls;
  int runningCalls = 0;
  int listCalls = 0;

  // Sets one process's reading.
  void set(int32_t pid, uint64_t ticks, uint64_t footprint, uint64_t start = 1,
           std::optional<std::string> path = std::nullopt);

  ProcessCallNames callNames() const override;
  std::optional<double> ticksToNanos() override { return nanosPerTick; }
  int activeProcessorCount() override { return cores; }
  Result<size_t, int> listAllPIDs(std::span<int32_t> buffer) override;
  Result<ProcessUsage, UsageFailure> usage(int32_t pid) override;
  std::optional<std::string> executablePath(int32_t pid) override;
  std::optional<std::string> shortName(int32_t pid) override;
  std::optional<std::string> appGroup(int32_t pid, const std::optional<std::string>& executablePath) override;
  AppGroupInfo groupInfo(const std::string& groupPath) override;
  void runningApplicationPIDs(std::unordered_set<int32_t>& out) override;
  std::string ownGroupPath() override { return ownGroup; }
};

class FakeAppControl : public AppControl {
 public:
  int32_t pid = 4242;
  std::string ownGroup = "/Applications/Kovra.app";
  std::vector<RunningApplication> running;
  std::set<int32_t> refusing;  // pids whose requests are refused
  struct Request {
    int32_t pid;
    bool force;
    bool operator==(const Request&) const = default;
  };
  std::vector<Request> requests;
  int runningCalls = 0;

  int32_t ownPID() override { return pid; }
  std::string ownGroupPath() override { return ownGroup; }
  bool isProtectedGroup(const std::string& groupPath) override;
  std::vector<RunningApplication> runningApplications() override;
  bool requestQuit(const RunningApplication& app, bool force) override;
};

}  // namespace kovra::platform
