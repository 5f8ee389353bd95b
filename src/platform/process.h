#pragma once
// What the process sampler asks of the operating system: the list of processes, each one's
// processor time and memory, names, and which app a process belongs to.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/result.h"

namespace kovra::platform {

// One reading of one process.
struct ProcessUsage {
  uint64_t cpuTicks = 0;        // user + system time, in ticks
  uint64_t footprintBytes = 0;  // memory charged to the process
  uint64_t startTime = 0;       // identifies one life of a pid
  // The kernel's short name of the process (comm, its first 16 bytes): it changes when the process
  // runs another program, and then the process is looked at afresh. Empty for kernel threads.
  std::array<char, 16> comm{};
};

enum class UsageFailure {
  refused,  // the system would not tell (permission): counted unreadable, asked again later
  gone,     // the process has gone or cannot be read for another reason: skipped
};

// How an app group presents itself.
struct AppGroupInfo {
  std::string displayName;               // first choice of name; may be empty
  std::string infoName;                  // fallback name from the app's own description; may be empty
  std::optional<std::string> identifier;
  bool isProtected = false;              // part of the system; never offered for quitting
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
  virtual AppGroupInfo groupInfo(const std::string& groupPath) = 0;
  // Replaces `out` with the pids of the user's running applications.
  virtual void runningApplicationPIDs(std::unordered_set<int32_t>& out) = 0;
  // The app group of the program itself; empty when it has none.
  virtual std::string ownGroupPath() = 0;
};

// The platform's source (chosen at link time).
std::unique_ptr<ProcessSource> makeProcessSource();

// Monotonic uptime in nanoseconds.
uint64_t monotonicNanos();

}  // namespace kovra::platform
