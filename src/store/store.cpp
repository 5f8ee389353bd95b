#include "store/store.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <string>

#include "core/log.h"
#include "core/runtime.h"
#include "logic/verdict_rules.h"
#include "store/kinds.h"

namespace kovra {

// One sampling loop: a chain of tasks on the main sequence, each reading once and then sleeping
// for the interval. Cancelling marks it and drops the pending sleep; a read already in flight is
// still applied, and the loop ends instead of sleeping again.
struct Store::Loop {
  MantikSampleKind kind;
  bool cancelled = false;
  std::optional<Executor::TaskId> sleep;
};

Store::Store(SamplerSet samplers, std::shared_ptr<SettingsContract> settings, std::shared_ptr<MantikNotifying> notifier,
             MantikClock clock, double terminateRefreshDelay, StoreEnvironment environment)
    : settings_(std::move(settings)),
      samplers_(std::move(samplers)),
      notifier_(std::move(notifier)),
      clock_(std::move(clock)),
      terminateRefreshDelay_(terminateRefreshDelay),
      executor_(environment.executor),
      scanRoot_(std::move(environment.scanRoot)),
      queueFactory_(environment.sampleQueues ? std::move(environment.sampleQueues) : defaultQueueFactory()) {
  for (MantikSampleKind kind : kAllSampleKinds) {
    sampleQueues_[kindIndex(kind)] = queueFactory_->makeSerialQueue(sampleQueueLabel(kind));
  }
  std::map<CardKind, Verdict> placeholders;
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.card) placeholders.emplace(*row.card, MantikVerdictRules::placeholder(*row.card));
  }
  headline_.set(MantikVerdictRules::headline(placeholders));
  verdicts_.set(std::move(placeholders));
}

std::shared_ptr<SampleQueueFactory> Store::defaultQueueFactory() {
  std::set<std::string> inPlace;
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.readInPlace) inPlace.insert(sampleQueueLabel(row.kind));
  }
  return std::make_shared<ThreadedQueueFactory>(std::move(inPlace));
}

Store::~Store() {
  alive_.reset();
  for (auto& [kind, loop] : loops_) cancelLoop(*loop);
  loops_.clear();
  if (processRefreshTask_) executor_.cancel(*processRefreshTask_);
  // The scan task (stopped and joined) and the sample queues (joined) go with the members.
}

Executor::Task Store::guarded(std::function<void()> body) {
  return [weak = std::weak_ptr<int>(alive_), body = std::move(body)] {
    if (weak.lock()) body();
  };
}

Verdict Store::verdict(CardKind card) const {
  auto it = verdicts_->find(card);
  return it != verdicts_->end() ? it->second : MantikVerdictRules::placeholder(card);
}

const Observable<uint64_t>& Store::historyRevisionProperty(SeriesKind series) const {
  for (const SampleKindRow& row : sampleKindTable()) {
    for (SeriesKind fed : row.series) {
      if (fed == series) return this->*row.historyRevision;
    }
  }
  return memoryHistoryRevision_;
}

// ---- start and loops -------------------------------------------------------------------------

void Store::start() {
  if (Runtime::isRunningTests() || Runtime::isPreview()) return;
  startIgnoringRunMode();
}

void Store::startIgnoringRunMode() {
  if (isRunning_) return;
  isRunning_ = true;
  if (settings_->notificationsEnabled() && notifier_) notifier_->requestAuthorization();
  updateLoops();
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.present && !loops_.contains(row.kind)) read(row.kind, {});
  }
}

bool Store::isPresent(CardKind card) const {
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.card == card) return row.present == nullptr || row.present(*this);
  }
  return true;
}

unsigned Store::wantedConditions() const {
  unsigned holding = Wanted::always;
  if (isVisible(Surface::menuPanel) || isVisible(Surface::mainWindow)) holding |= Wanted::panelOrWindow;
  if (isVisible(Surface::networkDetail)) holding |= Wanted::networkDetail;
  if (settings_->menuBarShowsNetwork()) holding |= Wanted::labelNetwork;
  if (settings_->menuBarShowsTemperature()) holding |= Wanted::labelTemperature;
  const auto& m = memory_.value();
  if (m && m->pressure && (*m->pressure == MemoryPressure::warning || *m->pressure == MemoryPressure::critical)) {
    holding |= Wanted::memoryPressure;
  }
  return holding;
}

bool Store::isWanted(MantikSampleKind kind) const { return (sampleKindRow(kind).wantedWhen & wantedConditions()) != 0; }

std::vector<MantikSampleKind> Store::runningLoops() const {
  std::vector<MantikSampleKind> kinds;
  for (const auto& [kind, loop] : loops_) kinds.push_back(kind);
  return kinds;
}

void Store::updateLoops() {
  if (!isRunning_) return;
  const unsigned holding = wantedConditions();
  for (const SampleKindRow& row : sampleKindTable()) {
    const MantikSampleKind kind = row.kind;
    bool wanted = (row.wantedWhen & holding) != 0;
    auto it = loops_.find(kind);
    if (wanted && it == loops_.end()) {
      loops_.emplace(kind, makeLoop(kind));
    } else if (!wanted && it != loops_.end()) {
      std::shared_ptr<Loop> loop = std::move(it->second);
      loops_.erase(it);
      cancelLoop(*loop);
    }
  }
}

std::shared_ptr<Store::Loop> Store::makeLoop(MantikSampleKind kind) {
  auto loop = std::make_shared<Loop>();
  loop->kind = kind;
  // The loop starts as a task of its own; its first read follows at once.
  executor_.post(guarded([this, loop] { loopTurn(loop); }));
  return loop;
}

void Store::loopTurn(const std::shared_ptr<Loop>& loop) {
  if (loop->cancelled) return;
  read(loop->kind, [this, loop] {
    if (loop->cancelled) return;
    // The deadline is taken after the read, so reads start interval + read time apart.
    double interval = loopInterval(loop->kind);
    loop->sleep = executor_.postAfter(interval, interval / 10, guarded([this, loop] {
                                        loop->sleep.reset();
                                        loopTurn(loop);
                                      }));
  });
}

void Store::cancelLoop(Loop& loop) {
  loop.cancelled = true;
  if (loop.sleep) executor_.cancel(*loop.sleep);
  loop.sleep.reset();
}

// ---- visibility ------------------------------------------------------------------------------

void Store::setVisible(Surface surface, bool visible) {
  if (visible) {
    visibleSurfaces_.insert(surface);
  } else {
    visibleSurfaces_.erase(surface);
  }
  if (!isVisible(Surface::networkDetail)) clearAppNetwork();
  updateLoops();
}

// ---- reads -----------------------------------------------------------------------------------

void Store::read(MantikSampleKind kind, Done done) {
  lastReadStart_[kind] = clock_.uptime();
  sampleKindRow(kind).read(*this, std::move(done));
}

// ---- refresh and history ---------------------------------------------------------------------

void Store::refreshNow(Done done) { refreshFrom(0, std::move(done)); }

void Store::refreshFrom(size_t position, Done done) {
  const auto& table = sampleKindTable();
  for (; position < table.size(); ++position) {
    const SampleKindRow& row = table[position];
    const MantikSampleKind kind = row.kind;
    if (!row.refreshedUnwanted && (row.wantedWhen & wantedConditions()) == 0) continue;
    if (isRunning_) {
      auto it = lastReadStart_.find(kind);
      if (it != lastReadStart_.end() && clock_.uptime() - it->second < refreshThreshold(kind)) continue;
    }
    read(kind, [this, position, done = std::move(done)]() mutable { refreshFrom(position + 1, std::move(done)); });
    return;
  }
  if (done) done();
}

std::vector<HistoryPoint> Store::sensorHistory(std::string_view key, double seconds) const {
  if (!(seconds > 0)) return {};
  double window = std::min(seconds, historyDuration);
  Date since = clock_.now() - std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(window));
  return sensorHistory_.points(key, since);
}

std::vector<HistoryPoint> Store::history(SeriesKind series, double seconds) const {
  if (!(seconds > 0)) return {};
  double window = std::min(seconds, historyDuration);
  Date since = clock_.now() - std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(window));
  return historyBuffers_.points(series, since);
}

}  // namespace kovra
