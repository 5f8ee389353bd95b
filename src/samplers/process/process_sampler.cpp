#include "samplers/process/process_sampler.h"

#include <algorithm>

#include "core/localize.h"
#include "core/log.h"

namespace kovra {

namespace ProcessNames {

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

ProcessSampler::ProcessSampler(std::shared_ptr<platform::ProcessTable> table, int32_t ownPID, Clock clock)
    : table_(std::move(table)), clock_(std::move(clock)), ownPID_(ownPID) {}

void ProcessSampler::setUpIfNeeded() {
  if (didSetUp_) return;
  didSetUp_ = true;
  // On the first sample, on the sampling thread: finding the own group may read every desktop
  // entry, which has no place on the start-up's main thread.
  ownBundlePath_ = table_->ownGroupPath();
  unitNanos_ = table_->cpuUnitNanos();
  if (!unitNanos_) {
    Log::sampler.error(std::string(table_->cpuUnitCall()) + " okunamadı; süreç işlemci payları gösterilmeyecek");
  }
  coreCount_ = std::max(table_->activeProcessorCount(), 1);
  systemGroupName_ = localized("Sistem ve arka plan");
}

ProcessSampler::BundleDetails ProcessSampler::loadBundleDetails(const std::string& path) {
  auto info = table_->groupInfo(path);
  BundleDetails d;
  d.name = ProcessNames::trimmingAppSuffix(info.displayName);
  if (d.name.empty()) d.name = ProcessNames::trimmingAppSuffix(info.infoName);
  if (d.name.empty()) d.name = ProcessNames::trimmingAppSuffix(platform::lastPathComponent(path).value_or(path));
  d.identifier = std::move(info.identifier);
  d.isProtected = info.isProtected;
  return d;
}

void ProcessSampler::refreshRunningApplications(uint64_t now) {
  table_->runningApplicationPIDs(runningPIDs_);
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
  const uint64_t now = clock_();
  auto refreshed = table_->refresh(now);
  if (!refreshed.ok()) return unreadable(refreshed.error());
  const platform::ProcessRows& table = refreshed.value();

  double elapsed = 0;
  if (lastSampleUptime_ && *lastSampleUptime_ < now) {
    elapsed = static_cast<double>(now - *lastSampleUptime_) * static_cast<double>(coreCount_);
  }

  groupScratch_.clear();
  std::vector<ProcessEntry> systemList;
  systemList.reserve(lastSystemProcessCount_);
  uint64_t systemFootprint = 0;
  std::optional<double> systemShare;

  for (const platform::ProcessRow& row : table.rows) {
    std::optional<double> share;
    if (elapsed > 0 && unitNanos_ && row.cpuSinceLast) {
      share = std::min(*unitNanos_ * static_cast<double>(*row.cpuSinceLast) / elapsed, 1.0);
    }
    ProcessEntry entry{row.pid, std::string(row.name), row.residentBytes, share};
    if (row.group) {
      GroupAccumulator& g = groupScratch_[*row.group];
      g.footprintBytes += row.residentBytes;
      addShare(g.cpuFraction, share);
      g.processes.push_back(std::move(entry));
    } else {
      systemFootprint += row.residentBytes;
      addShare(systemShare, share);
      systemList.push_back(std::move(entry));
    }
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
  snapshot.unreadableCount = static_cast<int64_t>(table.refused);
  return snapshot;
}

}  // namespace kovra
