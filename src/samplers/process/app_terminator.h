#pragma once
// Asks a running app (one app group of the process list) to quit, or forces it to, after
// checking again every rule that protects the system and the program itself.

#include <memory>
#include <string>
#include <vector>

#include "core/contracts.h"
#include "platform/apps.h"

namespace kovra {

class AppTerminator : public AppTerminating {
 public:
  // The live terminator on this platform.
  AppTerminator();
  explicit AppTerminator(std::shared_ptr<platform::AppControl> control);

  TerminateOutcome terminate(const AppUsage& app, bool force) override;

  // The running applications that make up the group: exact matches, or else the applications
  // whose bundle lies inside the group's bundle.
  std::vector<platform::RunningApplication> runningApplications(const AppUsage& app, const std::string& bundlePath,
                                                                int32_t ownPID);

 private:
  std::shared_ptr<platform::AppControl> control_;
};

}  // namespace kovra
