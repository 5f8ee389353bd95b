#include "samplers/process/app_terminator.h"

#include <unordered_set>

#include "core/log.h"

namespace kovra {

AppTerminator::AppTerminator(std::shared_ptr<platform::AppControl> control) : control_(std::move(control)) {}

TerminateOutcome AppTerminator::terminate(const AppUsage& app, bool force) {
  if (!app.canTerminate || app.kind != AppGroupKind::app || !app.bundlePath) return TerminateOutcome::notAllowed;
  const std::string& path = *app.bundlePath;
  if (control_->isProtectedGroup(path)) return TerminateOutcome::notAllowed;
  if (path == control_->ownGroupPath()) return TerminateOutcome::notAllowed;
  const int32_t own = control_->ownPID();
  for (const auto& p : app.processes) {
    if (p.pid == own) return TerminateOutcome::notAllowed;
  }

  auto targets = runningApplications(app, path, own);
  if (targets.empty()) {
    Log::sampler.info("Kapatma: çalışan uygulama bulunamadı (" + app.name + ")");
    return TerminateOutcome::notRunning;
  }
  int accepted = 0;
  for (const auto& target : targets) {
    if (control_->requestQuit(target, force)) {
      ++accepted;
    } else {
      Log::sampler.error("Kapatma reddedildi: " + app.name + " pid " + std::to_string(target.pid) +
                         " force=" + (force ? "1" : "0"));
    }
  }
  if (accepted == 0) return TerminateOutcome::failed;
  Log::sampler.info("Kapatma istendi: " + app.name + " force=" + (force ? "1" : "0"));
  return TerminateOutcome::requested;
}

std::vector<platform::RunningApplication> AppTerminator::runningApplications(const AppUsage& app,
                                                                             const std::string& bundlePath,
                                                                             int32_t ownPID) {
  std::unordered_set<int32_t> pids;
  for (const auto& p : app.processes) pids.insert(p.pid);
  std::vector<platform::RunningApplication> exact;
  std::vector<platform::RunningApplication> nested;
  for (auto& running : control_->runningApplications()) {
    if (running.isTerminated || running.pid == ownPID) continue;
    std::optional<std::string> bp;
    if (running.bundlePath) bp = running.bundlePath;
    const bool samePath = bp && *bp == bundlePath;
    const bool sameIdentifier = pids.contains(running.pid) && app.bundleIdentifier && running.bundleIdentifier &&
                                *app.bundleIdentifier == *running.bundleIdentifier;
    if (samePath || sameIdentifier) {
      exact.push_back(std::move(running));
    } else if (bp && bp->starts_with(bundlePath + "/")) {
      nested.push_back(std::move(running));
    }
  }
  return exact.empty() ? nested : exact;
}

}  // namespace kovra
