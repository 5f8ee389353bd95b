#include "platform/linux/desktop_control.h"

#include "core/unique_fd.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kovra::linux_proc {

LinuxAppControl::LinuxAppControl(std::string procRoot, DesktopIndex& index)
    : table_(std::move(procRoot)), apps_(table_, index, static_cast<uint32_t>(::getuid())) {}

void LinuxAppControl::settleOwnGroup() {
  std::call_once(ownGroupSettled_, [this] {
    const int32_t own = ownPID();
    if (auto group = apps_.groupOf(own, apps_.executable(own))) apps_.setOwnGroup(*group);
  });
}

int32_t LinuxAppControl::ownPID() { return static_cast<int32_t>(::getpid()); }

std::vector<platform::RunningApplication> LinuxAppControl::runningApplications() {
  settleOwnGroup();
  std::vector<platform::RunningApplication> result;
  std::vector<int32_t> pids(4096);
  for (int attempt = 0; attempt < 8; ++attempt) {
    auto n = table_.list(pids);
    if (!n.ok()) return result;
    if (n.value() < pids.size()) {
      pids.resize(n.value());
      break;
    }
    pids.resize(pids.size() * 2);
  }
  std::vector<DesktopApps::Top> tops;
  apps_.topProcesses(pids, true, tops);
  for (auto& t : tops) {
    platform::RunningApplication app;
    app.pid = t.pid;
    app.bundleIdentifier = apps_.identifier(t.key);
    app.bundlePath = std::move(t.key);
    auto facts = apps_.facts(t.pid);
    if (!facts) continue;  // gone meanwhile
    app.startTime = facts->startTime;
    result.push_back(std::move(app));
  }
  return result;
}

bool LinuxAppControl::requestQuit(const platform::RunningApplication& app, bool force) {
  settleOwnGroup();
  if (app.pid <= 1 || app.pid == ownPID() || app.startTime == 0) return false;
  // The process descriptor holds on to whichever process has the pid now, so it cannot be handed
  // on while it is checked: the start time read after opening it says whether that is still the
  // process that was listed, and the signal goes through the descriptor.
  long opened = ::syscall(SYS_pidfd_open, app.pid, 0);
  if (opened < 0) return false;  // gone
  UniqueFd pidfd(static_cast<int>(opened));
  auto facts = table_.freshFacts(app.pid);
  if (!facts || facts->startTime != app.startTime) return false;
  auto uid = apps_.realUid(app.pid);
  if (!uid || *uid != apps_.ownUid()) return false;
  return ::syscall(SYS_pidfd_send_signal, pidfd.get(), force ? SIGKILL : SIGTERM, nullptr, 0) == 0;
}

}  // namespace kovra::linux_proc

namespace kovra::platform {

std::unique_ptr<AppControl> makeAppControl() {
  return std::make_unique<linux_proc::LinuxAppControl>("/proc", linux_proc::DesktopIndex::shared());
}

}  // namespace kovra::platform
