#pragma once
// Running applications and asking them to quit.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kovra::platform {

struct RunningApplication {
  int32_t pid = 0;
  bool isTerminated = false;
  std::optional<std::string> bundlePath;        // the app group key
  std::optional<std::string> bundleIdentifier;
  // When the process started, as the platform counts it (0: unknown). With the pid it names one
  // process: a pid handed on to a new process has another start.
  uint64_t startTime = 0;
  bool operator==(const RunningApplication&) const = default;
};

class AppControl {
 public:
  virtual ~AppControl() = default;
  virtual int32_t ownPID() = 0;
  // The app group of the program itself; empty when it has none.
  virtual std::string ownGroupPath() = 0;
  // True for groups that belong to the system and must never be quit from here.
  virtual bool isProtectedGroup(const std::string& groupPath) = 0;
  // The user's running applications, asked afresh.
  virtual std::vector<RunningApplication> runningApplications() = 0;
  // Asks one application to quit (force: at once); true when the request was accepted. Nothing is
  // sent when the pid now belongs to another process than the one listed.
  virtual bool requestQuit(const RunningApplication& app, bool force) = 0;
};

// The platform's app control (chosen at link time).
std::unique_ptr<AppControl> makeAppControl();

}  // namespace kovra::platform
