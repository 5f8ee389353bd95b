#include "platform/fake/process_fake.h"

#include <algorithm>

#include "platform/macos/bundle_rules.h"

namespace kovra::platform {

void FakeProcessSource::set(int32_t pid, uint64_t ticks, uint64_t footprint, uint64_t start,
                            std::optional<std::string> path) {
  if (std::find(pids.begin(), pids.end(), pid) == pids.end()) pids.push_back(pid);
  FakeProcess& p = processes[pid];
  ProcessUsage u;
  if (p.usage.ok()) u = p.usage.value();
  u.cpuTicks = ticks;
  u.footprintBytes = footprint;
  u.startTime = start;
  p.usage = u;
  if (path) p.executablePath = std::move(path);
}

ProcessCallNames FakeProcessSource::callNames() const {
  return {"mach_timebase_info", "proc_listallpids", "proc_pid_rusage", "EPERM"};
}

Result<size_t, int> FakeProcessSource::listAllPIDs(std::span<int32_t> buffer) {
  ++listCalls;
  if (listError) return Failure{*listError};
  if (buffer.empty()) return listSizeAnswer.value_or(pids.size());
  size_t n = std::min(buffer.size(), pids.size());
  std::copy_n(pids.begin(), n, buffer.begin());
  return n;
}

Result<ProcessUsage, UsageFailure> FakeProcessSource::usage(int32_t pid) {
  ++usageCalls[pid];
  auto it = processes.find(pid);
  if (it == processes.end()) return Failure{UsageFailure::gone};
  return it->second.usage;
}

std::optional<std::string> FakeProcessSource::executablePath(int32_t pid) {
  ++resolveCalls[pid];
  auto it = processes.find(pid);
  if (it == processes.end() || !it->second.executablePath) return std::nullopt;
  // As the macOS platform hands paths out: without the data volume's prefix.
  return ProcessBundleRules::withoutDataVolumePrefix(*it->second.executablePath);
}

std::optional<std::string> FakeProcessSource::shortName(int32_t pid) {
  auto it = processes.find(pid);
  return it == processes.end() ? std::nullopt : it->second.shortName;
}

std::optional<std::string> FakeProcessSource::appGroup(int32_t pid, const std::optional<std::string>& path) {
  if (path) {
    if (auto bundle = ProcessBundleRules::outermostAppBundle(*path)) return bundle;
  }
  auto it = processes.find(pid);
  if (it == processes.end()) return std::nullopt;
  const int32_t r = it->second.responsiblePID;
  if (r > 0 && r != pid) {
    if (auto rp = executablePath(r)) {
      return ProcessBundleRules::outermostAppBundle(ProcessBundleRules::withoutDataVolumePrefix(*rp));
    }
  }
  return std::nullopt;
}

AppGroupInfo FakeProcessSource::groupInfo(const std::string& groupPath) {
  ++infoCalls[groupPath];
  if (auto it = infos.find(groupPath); it != infos.end()) return it->second;
  AppGroupInfo info;
  size_t slash = groupPath.rfind('/');
  info.displayName = slash == std::string::npos ? groupPath : groupPath.substr(slash + 1);
  info.isProtected = ProcessBundleRules::isProtectedSystemBundle(groupPath);
  return info;
}

void FakeProcessSource::runningApplicationPIDs(std::unordered_set<int32_t>& out) {
  ++runningCalls;
  out.clear();
  out.insert(running.begin(), running.end());
}

bool FakeAppControl::isProtectedGroup(const std::string& groupPath) {
  return ProcessBundleRules::isProtectedSystemBundle(groupPath);
}

std::vector<RunningApplication> FakeAppControl::runningApplications() {
  ++runningCalls;
  std::vector<RunningApplication> out = running;
  for (auto& app : out)
    if (app.bundlePath) app.bundlePath = ProcessBundleRules::withoutDataVolumePrefix(*app.bundlePath);
  return out;
}

bool FakeAppControl::requestQuit(const RunningApplication& app, bool force) {
  requests.push_back({app.pid, force});
  return !refusing.contains(app.pid);
}

}  // namespace kovra::platform
