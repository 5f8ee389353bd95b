#pragma once
// Quitting apps on Linux: a normal quit sends SIGTERM to the group's top processes, a forced
// one SIGKILL; a request is accepted when the signal was delivered. Never signals pid 1 or
// below, the program itself or another user's process.

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
  std::string ownGroupPath() override { return apps_.ownGroup(); }
  bool isProtectedGroup(const std::string& groupPath) override { return apps_.isProtectedKey(groupPath); }
  std::vector<platform::RunningApplication> runningApplications() override;
  bool requestQuit(const platform::RunningApplication& app, bool force) override;

 private:
  ProcTable table_;
  DesktopApps apps_;
};

}  // namespace kovra::linux_proc
