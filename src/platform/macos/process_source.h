#pragma once
// The macOS process calls, one pid at a time (list, usage, path, responsible app), and the
// process table built from them: every pid asked for its usage, each process's name and app
// group worked out once per life, refused pids asked again only after a while.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/result.h"
#include "platform/process.h"

namespace kovra::macos {

// One reading of one process.
struct ProcessUsage {
  uint64_t cpuTicks = 0;        // user + system time, in ticks
  uint64_t footprintBytes = 0;  // memory charged to the process
  uint64_t startTime = 0;       // identifies one life of a pid
  // Identifies the program the process runs: a change makes the table look at the process afresh.
  std::array<char, 16> executableID{};
};

enum class UsageFailure {
  refused,  // the system would not tell (permission): counted unreadable, asked again later
  gone,     // the process has gone or cannot be read for another reason: skipped
};

// The names of the calls behind the failure texts, so the texts name what really failed.
struct ProcessCallNames {
  std::string_view timebase;  // processor-time unit
  std::string_view list;      // the process list
  std::string_view usage;     // one process's usage
  std::string_view refusal;   // the error of a refused read
};

class ProcessSource {
 public:
  virtual ~ProcessSource() = default;

  virtual ProcessCallNames callNames() const = 0;
  // Nanoseconds per processor-time tick; absent when the unit cannot be read.
  virtual std::optional<double> ticksToNanos() = 0;
  virtual int activeProcessorCount() = 0;
  // Fills `buffer` with pids and returns how many were written (a full buffer may mean more
  // exist). With an empty buffer returns how many pids exist now. The failure is an errno.
  virtual Result<size_t, int> listAllPIDs(std::span<int32_t> buffer) = 0;
  virtual Result<ProcessUsage, UsageFailure> usage(int32_t pid) = 0;
  virtual std::optional<std::string> executablePath(int32_t pid) = 0;
  virtual std::optional<std::string> shortName(int32_t pid) = 0;
  // The app group the process belongs to (its key doubles as the bundle path), or absent for
  // the system group.
  virtual std::optional<std::string> appGroup(int32_t pid, const std::optional<std::string>& executablePath) = 0;
  virtual platform::AppGroupInfo groupInfo(const std::string& groupPath) = 0;
  // Replaces `out` with the pids of the user's running applications.
  virtual void runningApplicationPIDs(std::unordered_set<int32_t>& out) = 0;
  // The app group of the program itself; empty when it has none.
  virtual std::string ownGroupPath() = 0;
};

class PerPidProcessTable : public platform::ProcessTable {
 public:
  explicit PerPidProcessTable(std::shared_ptr<ProcessSource> source) : source_(std::move(source)) {}

  std::optional<double> cpuUnitNanos() override { return source_->ticksToNanos(); }
  std::string_view cpuUnitCall() const override { return source_->callNames().timebase; }
  int activeProcessorCount() override { return source_->activeProcessorCount(); }
  Result<platform::ProcessRows, std::string> refresh(uint64_t now) override;
  platform::AppGroupInfo groupInfo(const std::string& groupKey) override { return source_->groupInfo(groupKey); }
  void runningApplicationPIDs(std::unordered_set<int32_t>& out) override { source_->runningApplicationPIDs(out); }
  std::string ownGroupPath() override { return source_->ownGroupPath(); }

 private:
  struct Tracked {
    uint64_t startTime = 0;
    std::array<char, 16> executableID{};
    uint64_t cpuTicks = 0;
    std::string name;
    std::optional<std::string> group;
    uint32_t seen = 0;
  };
  struct Refused {
    uint64_t lastAttempt = 0;
    uint32_t seen = 0;
  };
  Result<size_t, std::string> listPIDs();
  void resolve(int32_t pid, Tracked& t);

  std::shared_ptr<ProcessSource> source_;
  uint32_t generation_ = 0;
  std::vector<int32_t> pidBuffer_;
  std::unordered_map<int32_t, Tracked> tracked_;
  std::unordered_map<int32_t, Refused> refused_;
  std::vector<platform::ProcessRow> rows_;
  std::vector<int32_t> stale_;
};

}  // namespace kovra::macos
