#pragma once
// What the process sampler asks of the operating system: the process table, refreshed in one
// call, with each process's parent, name, app group, processor time and private memory; and
// how the app groups present themselves.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/result.h"

namespace kovra::platform {

// One process as the latest refresh read it. The views stay valid until the next refresh.
struct ProcessRow {
  int32_t pid = 0;
  int64_t ppid = 0;
  uint64_t startTime = 0;  // clock ticks since boot: tells one life of a pid from the next
  uint64_t cpuTime = 0;    // user + system, in the table's unit (cpuUnitNanos)
  // Processor time used since the previous refresh; absent for a process first seen (or seen in
  // a new life, or with a counter that went back).
  std::optional<uint64_t> cpuSinceLast;
  uint64_t residentBytes = 0;  // private resident memory (anonymous pages)
  // The program's name: the last piece of its executable's path, else its short name, else the
  // pid. Worked out once per life and again when the process runs another program.
  std::string_view name;
  // The app group's key (which doubles as its path), or null for the system group.
  const std::string* group = nullptr;
};

struct ProcessRows {
  std::span<const ProcessRow> rows;  // never empty: a refresh that reads nothing fails
  size_t refused = 0;                // processes the system would not show (permission)
};

// How an app group presents itself.
struct AppGroupInfo {
  std::string displayName;               // first choice of name; may be empty
  std::string infoName;                  // fallback name from the app's own description; may be empty
  std::optional<std::string> identifier;
  bool isProtected = false;              // part of the system; never offered for quitting
};

class ProcessTable {
 public:
  virtual ~ProcessTable() = default;

  // Nanoseconds per unit of cpuTime; absent when the unit cannot be read.
  virtual std::optional<double> cpuUnitNanos() = 0;
  // The call behind cpuUnitNanos, for the text that says it failed.
  virtual std::string_view cpuUnitCall() const = 0;
  virtual int activeProcessorCount() = 0;
  // Lists and reads every process. `now` (monotonic nanoseconds) decides when a refused process
  // is asked again. The failure is the text to show.
  virtual Result<ProcessRows, std::string> refresh(uint64_t now) = 0;
  virtual AppGroupInfo groupInfo(const std::string& groupKey) = 0;
  // Replaces `out` with the pids of the user's running applications among the last refresh's.
  virtual void runningApplicationPIDs(std::unordered_set<int32_t>& out) = 0;
  // The app group of the program itself; empty when it has none.
  virtual std::string ownGroupPath() = 0;
};

// A refused process is asked again only after this long.
inline constexpr uint64_t kRetryRefusedNanos = 30'000'000'000ULL;

// The platform's table (chosen at link time).
std::unique_ptr<ProcessTable> makeProcessTable();

// Monotonic uptime in nanoseconds.
uint64_t monotonicNanos();

// The last non-empty piece of a "/"-separated path; absent when there is none.
inline std::optional<std::string> lastPathComponent(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.empty()) return std::nullopt;
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace kovra::platform
