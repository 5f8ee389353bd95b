// The apply steps: each classifies one read's result, updates the published reading, and keeps
// histories, smoothed rates, verdicts, notifications and per-app traffic consistent.

#include <algorithm>
#include <cmath>
#include <string>

#include "core/log.h"
#include "logic/app_network_grouping.h"
#include "logic/notification_text.h"
#include "logic/sensors_rules.h"
#include "logic/verdict_rules.h"
#include "store/kinds.h"
#include "store/store.h"

namespace kovra {

void Store::noteSuccess(MantikSampleKind kind) { lastLoggedError_.erase(kind); }

void Store::logFailure(MantikSampleKind kind, const std::string& message) {
  auto it = lastLoggedError_.find(kind);
  if (it != lastLoggedError_.end() && it->second == message) return;
  lastLoggedError_[kind] = message;
  Log::store.error(std::string(rawValue(kind)) + " okunamadı: " + message);
}

void Store::applyMemory(const SampleResult<MemorySnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::memory);
  if (outcome.isNotReady()) return;
  if (outcome.isFailed()) {
    publish(memory_, std::nullopt);
  } else {
    const MemorySnapshot& v = outcome.value();
    publish(memory_, v);
    if (historyBuffers_.append(SeriesKind::memoryUsed, v.usedFraction(), clock_.now())) {
      publish(memoryHistoryRevision_, memoryHistoryRevision_.value() + 1);
    }
  }
  recomputeVerdicts();
  evaluateMemoryNotification();
  updateLoops();  // the pressure decides whether the process loop runs
}

void Store::applyCPU(const SampleResult<CPUSnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::cpu);
  if (outcome.isNotReady()) return;
  double now = clock_.uptime();
  if (outcome.isFailed()) {
    publish(cpu_, std::nullopt);
    cpuTracker_.reset(now);
  } else {
    const CPUSnapshot& v = outcome.value();
    publish(cpu_, v);
    cpuTracker_.observe(v.usage, now);
    if (historyBuffers_.append(SeriesKind::cpuUsage, v.usage, clock_.now())) {
      publish(cpuHistoryRevision_, cpuHistoryRevision_.value() + 1);
    }
  }
  recomputeVerdicts();
}

void Store::applyNetwork(const SampleResult<NetworkSnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::network);
  if (outcome.isNotReady()) return;
  if (outcome.isFailed()) {
    publish(network_, std::nullopt);
    publish(displayRates_, std::nullopt);
    rateSmoother_.clear();
    lastNetworkSample_.reset();
    recomputeVerdicts();
    return;
  }
  const NetworkSnapshot& v = outcome.value();
  double now = clock_.uptime();
  // After a pause (for example while the loop was stopped) the average starts afresh.
  if (lastNetworkSample_ && now - *lastNetworkSample_ > networkGapLimit) rateSmoother_.clear();
  lastNetworkSample_ = now;
  publish(network_, v);
  if (std::isfinite(v.downloadBytesPerSecond) && std::isfinite(v.uploadBytesPerSecond)) {
    rateSmoother_.samples.append(
        NetworkRates{std::max(v.downloadBytesPerSecond, 0.0), std::max(v.uploadBytesPerSecond, 0.0)});
  }
  publish(displayRates_, rateSmoother_.average());
  Date date = clock_.now();
  bool down = historyBuffers_.append(SeriesKind::networkDownload, v.downloadBytesPerSecond, date);
  bool up = historyBuffers_.append(SeriesKind::networkUpload, v.uploadBytesPerSecond, date);
  if (down || up) publish(networkHistoryRevision_, networkHistoryRevision_.value() + 1);
  recomputeVerdicts();
}

void Store::applyProcesses(const SampleResult<ProcessListSnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::processes);
  if (outcome.isNotReady()) return;
  if (outcome.isFailed()) {
    publish(processes_, std::nullopt);
  } else {
    publish(processes_, std::move(outcome.value()));
  }
  recomputeVerdicts();  // the memory and CPU sentences name apps from the list
  if (lastProcessNetwork_ && isVisible(Surface::networkDetail)) regroupAppNetwork();
}

void Store::applyDisk(const SampleResult<DiskSnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::disk);
  if (outcome.isNotReady()) return;
  if (outcome.isFailed()) {
    publish(disk_, std::nullopt);
  } else {
    publish(disk_, outcome.value());
  }
  recomputeVerdicts();
  evaluateDiskNotification();
}

void Store::applyProcessNetwork(const SampleResult<ProcessNetworkSnapshot>& result) {
  auto outcome = classify(result, MantikSampleKind::processNetwork);
  if (!isVisible(Surface::networkDetail)) {
    clearAppNetwork();
    return;
  }
  if (outcome.isNotReady()) return;
  if (outcome.isFailed()) {
    lastProcessNetwork_.reset();
    publish(appNetwork_, std::nullopt);
    return;
  }
  lastProcessNetwork_ = std::move(outcome.value());
  regroupAppNetwork();
}

// ---- derived state ---------------------------------------------------------------------------

std::optional<AppUsage> Store::topCPUApp() const {
  if (!processes_.value()) return std::nullopt;
  auto apps = processes_.value()->topByCPU(1);
  if (apps.empty()) return std::nullopt;
  return std::move(apps.front());
}

void Store::applySensors(const SampleResult<std::optional<SensorsSnapshot>>& result) {
  // An absent value means the machine has no sensors; a failure clears the reading, as for any
  // kind, and with it every part's level.
  auto outcome = classify(result, MantikSampleKind::sensors);
  if (outcome.isNotReady()) return;
  const double now = clock_.uptime();
  publish(sensors_, outcome.isFailed() ? std::nullopt : outcome.value());
  const std::optional<SensorsSnapshot>& sensors = sensors_.value();
  sensorLevels_.update(sensors, now);
  const std::optional<AppUsage> top = topCPUApp();
  if (sensors && !sensors->parts.empty()) {
    sensorHistory_.append(*sensors, clock_.now());
    publish(sensorsHistoryRevision_, sensorsHistoryRevision_.value() + 1);
  }
  publish(sensorsVerdict_, MantikSensorsVerdict::verdict(sensors, sensorLevels_, top, CardKind::sensors));
  recomputeVerdicts();
  // The policy keeps timing even while notifications are off.
  const SensorsSnapshot* reading = sensors ? &*sensors : nullptr;
  for (size_t i : sensorsNotices_.due(reading, now)) {
    if (settings_->notificationsEnabled() && notifier_) {
      notifier_->post(MantikSensorsNotificationPolicy::notice(*reading, reading->parts[i], top));
    }
  }
}

void Store::recomputeVerdicts() {
  std::map<CardKind, Verdict> map;
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.card && row.verdict) map.emplace(*row.card, row.verdict(*this));
  }
  Verdict h = MantikVerdictRules::headline(map);
  publish(verdicts_, std::move(map));
  publish(headline_, std::move(h));
}

void Store::evaluateMemoryNotification() {
  std::optional<MemoryPressure> pressure;
  if (memory_.value()) pressure = memory_.value()->pressure;
  // The policy keeps timing even while notifications are off.
  bool due = notificationPolicy_.shouldNotifyMemory(pressure, clock_.uptime());
  if (!due || !settings_->notificationsEnabled() || !notifier_) return;
  std::optional<AppUsage> top;
  if (processes_.value()) top = processes_.value()->topTerminableApp();
  notifier_->post(MantikNotificationText::memory(top));
}

void Store::evaluateDiskNotification() {
  auto it = verdicts_->find(CardKind::disk);
  if (it == verdicts_->end()) return;
  // A critical verdict disarms even while notifications are off.
  bool due = notificationPolicy_.shouldNotifyDisk(it->second);
  if (!due || !settings_->notificationsEnabled() || !notifier_) return;
  notifier_->post(MantikNotificationText::disk(disk_.value()));
}

void Store::regroupAppNetwork() {
  if (lastProcessNetwork_ && processes_.value()) {
    publish(appNetwork_, MantikAppNetworkGrouping::group(*lastProcessNetwork_, *processes_.value()));
  } else {
    publish(appNetwork_, std::nullopt);
  }
}

void Store::clearAppNetwork() {
  lastProcessNetwork_.reset();
  publish(appNetwork_, std::nullopt);
}

}  // namespace kovra
