#include "store/store.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <string>

#include "core/log.h"
#include "core/runtime.h"
#include "logic/verdict_rules.h"

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
  for (CardKind card : {CardKind::memory, CardKind::disk, CardKind::cpu, CardKind::network}) {
    placeholders.emplace(card, MantikVerdictRules::placeholder(card));
  }
  headline_.set(MantikVerdictRules::headline(placeholders));
  verdicts_.set(std::move(placeholders));
}

std::shared_ptr<SampleQueueFactory> Store::defaultQueueFactory() {
  // Memory and network are what an idle tray item reads, every two seconds and every second; both
  // are a kept-descriptor read of a small kernel file, cheaper than the thread hops around them.
  return std::make_shared<ThreadedQueueFactory>(std::set<std::string>{
      sampleQueueLabel(MantikSampleKind::memory), sampleQueueLabel(MantikSampleKind::network)});
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
  switch (series) {
    case SeriesKind::memoryUsed: return memoryHistoryRevision_;
    case SeriesKind::cpuUsage: return cpuHistoryRevision_;
    case SeriesKind::networkDownload:
    case SeriesKind::networkUpload: return networkHistoryRevision_;
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
}

bool Store::isWanted(MantikSampleKind kind) const {
  bool panelOrWindow = isVisible(Surface::menuPanel) || isVisible(Surface::mainWindow);
  bool netDetail = isVisible(Surface::networkDetail);
  switch (kind) {
    case MantikSampleKind::memory:
    case MantikSampleKind::disk: return true;
    case MantikSampleKind::cpu:
    case MantikSampleKind::battery: return panelOrWindow;
    case MantikSampleKind::network: return panelOrWindow || netDetail || settings_->menuBarShowsNetwork();
    case MantikSampleKind::processes: {
      if (panelOrWindow || netDetail) return true;
      const auto& m = memory_.value();
      return m && m->pressure &&
             (*m->pressure == MemoryPressure::warning || *m->pressure == MemoryPressure::critical);
    }
    case MantikSampleKind::processNetwork: return netDetail;
  }
  return false;
}

std::vector<MantikSampleKind> Store::runningLoops() const {
  std::vector<MantikSampleKind> kinds;
  for (const auto& [kind, loop] : loops_) kinds.push_back(kind);
  return kinds;
}

void Store::updateLoops() {
  if (!isRunning_) return;
  for (MantikSampleKind kind : kAllSampleKinds) {
    bool wanted = isWanted(kind);
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

namespace {

// The sampler's answer, with anything it throws turned into an unreadable error.
template <class Sampler>
auto callSampler(Sampler& sampler) -> decltype(sampler.sample()) {
  try {
    return sampler.sample();
  } catch (const std::exception& e) {
    return unreadable(e.what());
  } catch (...) {
    return unreadable("bilinmeyen hata");
  }
}

}  // namespace

template <class Sampler, class Apply>
void Store::readWith(MantikSampleKind kind, const std::shared_ptr<Sampler>& sampler, Apply apply, Done done) {
  using ResultType = decltype(sampler->sample());
  SerialQueue& queue = *sampleQueues_[kindIndex(kind)];
  // Only the sampler call leaves the main sequence; the result comes back as a task.
  queue.async([sampler, apply, done = std::move(done), weak = std::weak_ptr<int>(alive_), this,
               &executor = executor_]() mutable {
    ResultType result = sampler ? callSampler(*sampler) : ResultType(notReady());
    executor.post([weak, this, apply, result = std::move(result), done = std::move(done)] {
      if (!weak.lock()) return;
      (this->*apply)(result);
      if (done) done();
    });
  });
}

void Store::read(MantikSampleKind kind, Done done) {
  lastReadStart_[kind] = clock_.uptime();
  switch (kind) {
    case MantikSampleKind::memory: return readWith(kind, samplers_.memory, &Store::applyMemory, std::move(done));
    case MantikSampleKind::cpu: return readWith(kind, samplers_.cpu, &Store::applyCPU, std::move(done));
    case MantikSampleKind::network: return readWith(kind, samplers_.network, &Store::applyNetwork, std::move(done));
    case MantikSampleKind::processes:
      return readWith(kind, samplers_.processes, &Store::applyProcesses, std::move(done));
    case MantikSampleKind::disk: return readWith(kind, samplers_.disk, &Store::applyDisk, std::move(done));
    case MantikSampleKind::battery: return readWith(kind, samplers_.battery, &Store::applyBattery, std::move(done));
    case MantikSampleKind::processNetwork:
      return readWith(kind, samplers_.processNetwork, &Store::applyProcessNetwork, std::move(done));
  }
}

// ---- refresh and history ---------------------------------------------------------------------

void Store::refreshNow(Done done) { refreshFrom(0, std::move(done)); }

void Store::refreshFrom(size_t position, Done done) {
  for (; position < kAllSampleKinds.size(); ++position) {
    MantikSampleKind kind = kAllSampleKinds[position];
    if (kind == MantikSampleKind::processNetwork && !isVisible(Surface::networkDetail)) continue;
    if (isRunning_) {
      auto it = lastReadStart_.find(kind);
      if (it != lastReadStart_.end() && clock_.uptime() - it->second < refreshThreshold(kind)) continue;
    }
    read(kind, [this, position, done = std::move(done)]() mutable { refreshFrom(position + 1, std::move(done)); });
    return;
  }
  if (done) done();
}

std::vector<HistoryPoint> Store::history(SeriesKind series, double seconds) const {
  if (!(seconds > 0)) return {};
  double window = std::min(seconds, historyDuration);
  Date since = clock_.now() - std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(window));
  return historyBuffers_.points(series, since);
}

}  // namespace kovra
