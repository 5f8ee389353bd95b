#pragma once
// Quitting apps on Linux: a normal quit sends SIGTERM to the group's top processes, a forced
// one SIGKILL; a request is accepted when the signal was delivered. Never signals pid 1 or
// below, the program itself or another user's process.

#include <mutex>
#include <string>
#include <vector>

#include "platform/apps.h"
#include "platform/linux/desktop_apps.h"
#include "platform/linux/desktop_index.h"
#include "platform/linux/proc_table.h"

namespace kovra::linux_proc {

class LinuxAppControl : public platform::AppControl {
 public:
  LinuxAppControl(std::string procRoot, DesktopIndex& index);

  int32_t ownPID() override;
  std::string ownGroupPath() override {
    settleOwnGroup();
    return apps_.ownGroup();
  }
  bool isProtectedGroup(const std::string& groupPath) override {
    settleOwnGroup();
    return apps_.isProtectedKey(groupPath);
  }
  std::vector<platform::RunningApplication> runningApplications() override;
  bool requestQuit(const platform::RunningApplication& app, bool force) override;

 private:
  // This program's own group: finding it may read every desktop entry, so it is worked out on
  // first use, not where the control is made (during start-up).
  void settleOwnGroup();

  ProcTable table_;
  DesktopApps apps_;
  std::once_flag ownGroupSettled_;
};

}  // namespace kovra::linux_proc
