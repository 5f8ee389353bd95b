#include "platform/macos/process_source.h"

#include <algorithm>

namespace kovra::macos {

Result<size_t, std::string> PerPidProcessTable::listPIDs() {
  auto names = source_->callNames();
  auto errnoText = [&](int error) {
    return std::string(names.list) + " başarısız (errno " + std::to_string(error) + ")";
  };
  if (pidBuffer_.empty()) {
    auto n = source_->listAllPIDs({});
    if (!n.ok()) return Failure{errnoText(n.error())};
    if (n.value() < 1) return Failure{errnoText(0)};
    pidBuffer_.assign(n.value() + 64, 0);
  }
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto n = source_->listAllPIDs(pidBuffer_);
    if (!n.ok()) return Failure{errnoText(n.error())};
    if (n.value() < 1) return Failure{errnoText(0)};
    if (n.value() < pidBuffer_.size()) return n.value();
    pidBuffer_.assign(pidBuffer_.size() * 2, 0);
  }
  return Failure{std::string(names.list) + ": süreç listesi tampona sığmadı"};
}

void PerPidProcessTable::resolve(int32_t pid, Tracked& t) {
  auto path = source_->executablePath(pid);
  if (path && path->empty()) path.reset();
  // Executable's file name first, then the short name, then the pid itself.
  std::string name;
  if (path) {
    if (auto last = platform::lastPathComponent(*path)) name = std::move(*last);
  }
  if (name.empty()) {
    if (auto shortName = source_->shortName(pid)) name = std::move(*shortName);
  }
  t.name = name.empty() ? std::to_string(pid) : std::move(name);
  t.group = source_->appGroup(pid, path);
}

Result<platform::ProcessRows, std::string> PerPidProcessTable::refresh(uint64_t now) {
  auto listed = listPIDs();
  if (!listed.ok()) return Failure{listed.error()};
  const size_t count = listed.value();

  ++generation_;
  rows_.clear();
  size_t refusedCount = 0;
  for (size_t i = 0; i < count; ++i) {
    const int32_t pid = pidBuffer_[i];
    if (auto it = refused_.empty() ? refused_.end() : refused_.find(pid); it != refused_.end()) {
      if (now >= it->second.lastAttempt && now - it->second.lastAttempt < platform::kRetryRefusedNanos) {
        it->second.seen = generation_;
        ++refusedCount;
        continue;
      }
    }
    auto seen = tracked_.find(pid);
    // A pid listed twice in one listing is one process: read once, counted once.
    if (seen != tracked_.end() && seen->second.seen == generation_) continue;
    auto usage = source_->usage(pid);
    if (!usage.ok()) {
      if (usage.error() == UsageFailure::refused) {
        ++refusedCount;
        refused_[pid] = Refused{now, generation_};
      }
      continue;
    }
    if (!refused_.empty()) refused_.erase(pid);
    const ProcessUsage& u = usage.value();

    platform::ProcessRow row{pid, 0, u.startTime, u.cpuTicks, std::nullopt, u.footprintBytes, {}, nullptr};
    auto it = seen;
    if (it != tracked_.end() && it->second.startTime == u.startTime) {
      Tracked& t = it->second;
      if (u.cpuTicks >= t.cpuTicks) row.cpuSinceLast = u.cpuTicks - t.cpuTicks;
      t.cpuTicks = u.cpuTicks;
      t.seen = generation_;
      if (t.executableID != u.executableID) {
        resolve(pid, t);
        t.executableID = u.executableID;
      }
    } else {
      Tracked fresh{u.startTime, u.executableID, u.cpuTicks, {}, std::nullopt, generation_};
      resolve(pid, fresh);
      it = tracked_.insert_or_assign(pid, std::move(fresh)).first;
    }
    row.name = it->second.name;
    row.group = it->second.group ? &*it->second.group : nullptr;
    rows_.push_back(row);
  }

  if (rows_.empty()) {
    auto names = source_->callNames();
    return Failure{std::string(names.usage) + ": hiçbir süreç okunamadı (" + std::to_string(count) + " pid, " +
                   std::to_string(refusedCount) + " " + std::string(names.refusal) + ")"};
  }

  // Sweep what this refresh did not see.
  if (rows_.size() < tracked_.size()) {
    stale_.clear();
    for (const auto& [pid, t] : tracked_) {
      if (t.seen != generation_) stale_.push_back(pid);
    }
    for (int32_t pid : stale_) tracked_.erase(pid);
  }
  if (refusedCount < refused_.size()) {
    stale_.clear();
    for (const auto& [pid, r] : refused_) {
      if (r.seen != generation_) stale_.push_back(pid);
    }
    for (int32_t pid : stale_) refused_.erase(pid);
  }
  return platform::ProcessRows{rows_, refusedCount};
}

}  // namespace kovra::macos
