#include "samplers/process/process_sampler.h"

#include <algorithm>

#include "core/localize.h"
#include "core/log.h"

namespace kovra {

namespace ProcessNames {

std::optional<std::string> lastPathComponent(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.empty()) return std::nullopt;
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string trimmingAppSuffix(std::string name) {
  if (name.size() > 4) {
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (tail == ".app") name.resize(name.size() - 4);
  }
  return name;
}

void sortByFootprint(std::vector<ProcessEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const ProcessEntry& a, const ProcessEntry& b) {
    if (a.footprintBytes != b.footprintBytes) return a.footprintBytes > b.footprintBytes;
    return a.pid < b.pid;
  });
}

}  // namespace ProcessNames

ProcessSampler::ProcessSampler(std::shared_ptr<platform::ProcessSource> source, int32_t ownPID, Clock clock)
    : source_(std::move(source)), clock_(std::move(clock)), ownPID_(ownPID), ownBundlePath_(source_->ownGroupPath()) {}

void ProcessSampler::setUpIfNeeded() {
  if (didSetUp_) return;
  didSetUp_ = true;
  ticksToNanos_ = source_->ticksToNanos();
  if (!ticksToNanos_) {
    Log::sampler.error(std::string(source_->callNames().timebase) +
                       " okunamadı; süreç işlemci payları gösterilmeyecek");
  }
  coreCount_ = std::max(source_->activeProcessorCount(), 1);
  systemGroupName_ = localized("Sistem ve arka plan");
}

SampleResult<size_t> ProcessSampler::listPIDs() {
  auto names = source_->callNames();
  auto errnoText = [&](int error) {
    return std::string(names.list) + " başarısız (errno " + std::to_string(error) + ")";
  };
  if (pidBuffer_.empty()) {
    auto n = source_->listAllPIDs({});
    if (!n.ok()) return unreadable(errnoText(n.error()));
    if (n.value() < 1) return unreadable(errnoText(0));
    pidBuffer_.assign(n.value() + 64, 0);
  }
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto n = source_->listAllPIDs(pidBuffer_);
    if (!n.ok()) return unreadable(errnoText(n.error()));
    if (n.value() < 1) return unreadable(errnoText(0));
    if (n.value() < pidBuffer_.size()) return n.value();
    pidBuffer_.assign(pidBuffer_.size() * 2, 0);
  }
  return unreadable(std::string(names.list) + ": süreç listesi tampona sığmadı");
}

std::optional<std::string> ProcessSampler::executablePath(int32_t pid) {
  auto path = source_->executablePath(pid);
  if (!path || path->empty()) return std::nullopt;
  return path;
}

std::optional<std::string> ProcessSampler::shortName(int32_t pid) {
  auto name = source_->shortName(pid);
  if (!name || name->empty()) return std::nullopt;
  return name;
}

ProcessSampler::Resolved ProcessSampler::resolve(int32_t pid) {
  Resolved r;
  auto path = executablePath(pid);
  std::optional<std::string> name;
  if (path) name = ProcessNames::lastPathComponent(*path);
  if (!name) name = shortName(pid);
  r.name = name ? std::move(*name) : std::to_string(pid);
  r.groupPath = source_->appGroup(pid, path);
  return r;
}

ProcessSampler::BundleDetails ProcessSampler::loadBundleDetails(const std::string& path) {
  auto info = source_->groupInfo(path);
  BundleDetails d;
  d.name = ProcessNames::trimmingAppSuffix(info.displayName);
  if (d.name.empty()) d.name = ProcessNames::trimmingAppSuffix(info.infoName);
  if (d.name.empty()) d.name = ProcessNames::trimmingAppSuffix(ProcessNames::lastPathComponent(path).value_or(path));
  d.identifier = std::move(info.identifier);
  d.isProtected = info.isProtected;
  return d;
}

void ProcessSampler::refreshRunningApplications(uint64_t now) {
  source_->runningApplicationPIDs(runningPIDs_);
  runningRefreshUptime_ = now;
  groupsAtRunningRefresh_.clear();
  for (const auto& [path, group] : groupScratch_) groupsAtRunningRefresh_.insert(path);
}

bool ProcessSampler::canTerminate(const std::string& path, const BundleDetails& details,
                                  const std::vector<ProcessEntry>& members) const {
  if (path == ownBundlePath_ || details.isProtected) return false;
  bool anyRunning = false;
  for (const auto& p : members) {
    if (p.pid == ownPID_) return false;
    if (runningPIDs_.contains(p.pid)) anyRunning = true;
  }
  return anyRunning;
}

namespace {
void addShare(std::optional<double>& sum, const std::optional<double>& share) {
  if (share) sum = sum.value_or(0) + *share;
}
}  // namespace

SampleResult<ProcessListSnapshot> ProcessSampler::sample() {
  setUpIfNeeded();
  auto listed = listPIDs();
  if (!listed.ok()) return Failure{listed.error()};
  const size_t count = listed.value();

  const uint64_t now = clock_();
  double elapsed = 0;
  if (lastSampleUptime_ && *lastSampleUptime_ < now) {
    elapsed = static_cast<double>(now - *lastSampleUptime_) * static_cast<double>(coreCount_);
  }

  ++generation_;
  groupScratch_.clear();
  std::vector<ProcessEntry> systemList;
  systemList.reserve(lastSystemProcessCount_);
  uint64_t systemFootprint = 0;
  std::optional<double> systemShare;
  size_t readable = 0;
  size_t unreadableCount = 0;

  for (size_t i = 0; i < count; ++i) {
    const int32_t pid = pidBuffer_[i];
    if (auto it = unreadable_.empty() ? unreadable_.end() : unreadable_.find(pid); it != unreadable_.end()) {
      if (now >= it->second.lastAttempt && now - it->second.lastAttempt < kRetryRefusedNanos) {
        it->second.seen = generation_;
        ++unreadableCount;
        continue;
      }
    }
    auto usage = source_->usage(pid);
    if (!usage.ok()) {
      if (usage.error() == platform::UsageFailure::refused) {
        ++unreadableCount;
        unreadable_[pid] = UnreadableProcess{now, generation_};
      }
      continue;
    }
    if (!unreadable_.empty()) unreadable_.erase(pid);
    const platform::ProcessUsage& u = usage.value();
    ++readable;

    std::optional<double> share;
    auto it = tracked_.find(pid);
    if (it != tracked_.end() && it->second.startTime == u.startTime) {
      TrackedProcess& t = it->second;
      if (elapsed > 0 && ticksToNanos_ && u.cpuTicks >= t.cpuTicks) {
        share = std::min(*ticksToNanos_ * static_cast<double>(u.cpuTicks - t.cpuTicks) / elapsed, 1.0);
      }
      t.cpuTicks = u.cpuTicks;
      t.seen = generation_;
      if (t.comm != u.comm) {
        Resolved r = resolve(pid);
        t.comm = u.comm;
        t.name = std::move(r.name);
        t.groupPath = std::move(r.groupPath);
      }
    } else {
      Resolved r = resolve(pid);
      TrackedProcess fresh{u.startTime, u.comm, u.cpuTicks, std::move(r.name), std::move(r.groupPath),
                           generation_};
      it = tracked_.insert_or_assign(pid, std::move(fresh)).first;
    }

    const TrackedProcess& t = it->second;
    ProcessEntry entry{pid, t.name, u.footprintBytes, share};
    if (t.groupPath) {
      GroupAccumulator& g = groupScratch_[*t.groupPath];
      g.footprintBytes += u.footprintBytes;
      addShare(g.cpuFraction, share);
      g.processes.push_back(std::move(entry));
    } else {
      systemFootprint += u.footprintBytes;
      addShare(systemShare, share);
      systemList.push_back(std::move(entry));
    }
  }

  if (readable == 0) {
    auto names = source_->callNames();
    groupScratch_.clear();
    return unreadable(std::string(names.usage) + ": hiçbir süreç okunamadı (" + std::to_string(count) + " pid, " +
                      std::to_string(unreadableCount) + " " + std::string(names.refusal) + ")");
  }

  // Sweep what this call did not see.
  if (readable < tracked_.size()) {
    stalePIDs_.clear();
    for (const auto& [pid, t] : tracked_) {
      if (t.seen != generation_) stalePIDs_.push_back(pid);
    }
    for (int32_t pid : stalePIDs_) tracked_.erase(pid);
  }
  if (unreadableCount < unreadable_.size()) {
    stalePIDs_.clear();
    for (const auto& [pid, u] : unreadable_) {
      if (u.seen != generation_) stalePIDs_.push_back(pid);
    }
    for (int32_t pid : stalePIDs_) unreadable_.erase(pid);
  }

  lastSampleUptime_ = now;
  lastSystemProcessCount_ = systemList.size();

  bool refresh = false;
  if (!groupScratch_.empty()) {
    refresh = !runningRefreshUptime_ || now < *runningRefreshUptime_ ||
              now - *runningRefreshUptime_ > kRunningRefreshNanos;
    for (const auto& [path, group] : groupScratch_) {
      auto b = bundles_.find(path);
      if (b == bundles_.end()) b = bundles_.emplace(path, loadBundleDetails(path)).first;
      if (!refresh && !b->second.isProtected && path != ownBundlePath_ && !groupsAtRunningRefresh_.contains(path)) {
        refresh = true;  // a new app appeared
      }
    }
  }
  if (groupScratch_.size() < bundles_.size()) {
    staleGroups_.clear();
    for (const auto& [path, details] : bundles_) {
      if (!groupScratch_.contains(path)) staleGroups_.push_back(path);
    }
    for (const auto& path : staleGroups_) bundles_.erase(path);
  }
  if (refresh) refreshRunningApplications(now);

  ProcessListSnapshot snapshot;
  snapshot.apps.reserve(groupScratch_.size() + 1);
  for (auto node = groupScratch_.begin(); node != groupScratch_.end(); node = groupScratch_.erase(node)) {
    const std::string& path = node->first;
    GroupAccumulator& g = node->second;
    auto b = bundles_.find(path);
    if (b == bundles_.end()) b = bundles_.emplace(path, loadBundleDetails(path)).first;
    ProcessNames::sortByFootprint(g.processes);
    AppUsage app;
    app.id = path;
    app.name = b->second.name;
    app.kind = AppGroupKind::app;
    app.bundlePath = path;
    app.bundleIdentifier = b->second.identifier;
    app.footprintBytes = g.footprintBytes;
    if (g.cpuFraction) app.cpuFraction = std::min(*g.cpuFraction, 1.0);
    app.canTerminate = canTerminate(path, b->second, g.processes);
    app.processes = std::move(g.processes);
    snapshot.apps.push_back(std::move(app));
  }
  if (!systemList.empty()) {
    ProcessNames::sortByFootprint(systemList);
    AppUsage system;
    system.id = "system";
    system.name = systemGroupName_;
    system.kind = AppGroupKind::system;
    system.footprintBytes = systemFootprint;
    if (systemShare) system.cpuFraction = std::min(*systemShare, 1.0);
    system.processes = std::move(systemList);
    snapshot.apps.push_back(std::move(system));
  }
  std::sort(snapshot.apps.begin(), snapshot.apps.end(), [](const AppUsage& a, const AppUsage& b) {
    if (a.footprintBytes != b.footprintBytes) return a.footprintBytes > b.footprintBytes;
    return a.id < b.id;
  });
  snapshot.unreadableCount = static_cast<int64_t>(unreadableCount);
  return snapshot;
}

}  // namespace kovra
