#pragma once
// The one observable model of the running program. It runs one sampling loop per quantity while
// that quantity is wanted by what the user can see, reads each sampler on the kind's own serial
// queue, and applies every result on the main sequence: published readings, history rings,
// smoothed rates, verdicts, notifications and per-app traffic. It also carries out the user's
// actions: quitting apps and scanning the home folder.
//
// Everything here is touched only on the main sequence (the executor); no locks. Only the
// sampler calls (on the sample queues) and the disk scan (on its own thread) leave it.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/executor.h"
#include "core/records.h"
#include "core/sampler_set.h"
#include "logic/app_settings.h"
#include "logic/clock.h"
#include "logic/cpu_high_tracker.h"
#include "logic/history_buffers.h"
#include "logic/sensor_history.h"
#include "logic/notification_policy.h"
#include "logic/notifying.h"
#include "logic/observable.h"
#include "logic/rate_smoother.h"
#include "logic/sensors_rules.h"
#include "store/sample_kind.h"
#include "store/sample_queues.h"

namespace kovra {

// What the store needs beyond its model: the main sequence, where sampler calls run, and the
// folder a scan starts from. The executor must outlive the store.
struct StoreEnvironment {
  Executor& executor;
  // Null: Store::defaultQueueFactory().
  std::shared_ptr<SampleQueueFactory> sampleQueues;
  // Null: the current user's home folder.
  std::optional<std::string> scanRoot;
};

class Store {
 public:
  static constexpr double historyDuration = 3600;
  // Seconds between two network readings after which the rate average starts afresh.
  static constexpr double networkGapLimit = 3;

  Store(SamplerSet samplers, std::shared_ptr<SettingsContract> settings, std::shared_ptr<MantikNotifying> notifier,
        MantikClock clock, double terminateRefreshDelay, StoreEnvironment environment);
  // Ends every loop and pending task; a running scan is asked to stop and waited for, and
  // publishes nothing.
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // One sampling worker thread for every kind, except those whose row reads them in place, on
  // the main sequence itself.
  static std::shared_ptr<SampleQueueFactory> defaultQueueFactory();

  // Begins sampling, except under tests or previews (see Runtime) or when already started.
  void start();
  // What start() does outside tests: for tests of the loops and for headless runs.
  void startIgnoringRunMode();
  bool isRunning() const { return isRunning_; }

  // A surface appeared or disappeared.
  void setVisible(Surface surface, bool visible);
  bool isVisible(Surface surface) const { return visibleSurfaces_.count(surface) != 0; }

  // Reads every kind that is due now, one after the other, then calls `done` (if the store still
  // exists). Kinds read less than half an interval ago are skipped while running; a kind whose row
  // is not refreshed while unwanted (per-app traffic) only while it is wanted.
  void refreshNow(std::function<void()> done = {});

  // The points of one series from the last `seconds` (at most one hour), oldest first.
  std::vector<HistoryPoint> history(SeriesKind series, double seconds) const;

  // Asks the terminator to quit `app`; unless refused (notAllowed), re-reads the process list once,
  // terminateRefreshDelay after the last such request.
  TerminateOutcome terminate(const AppUsage& app, bool force);
  // Starts a scan of the home folder unless one is running.
  void startDiskScan();
  // Asks the running scan to stop; the state turns `cancelled` when the scan has ended.
  void cancelDiskScan();
  bool isScanning() const { return scanTask_ != nullptr; }

  // ---- published state: value, and a subscription that fires after each real change --------
  const std::optional<MemorySnapshot>& memory() const { return memory_.value(); }
  const std::optional<CPUSnapshot>& cpu() const { return cpu_.value(); }
  const std::optional<NetworkSnapshot>& network() const { return network_.value(); }
  const std::optional<NetworkRates>& displayRates() const { return displayRates_.value(); }
  const std::optional<DiskSnapshot>& disk() const { return disk_.value(); }
  const std::optional<ProcessListSnapshot>& processes() const { return processes_.value(); }
  const std::optional<BatterySnapshot>& battery() const { return battery_.value(); }
  // Absent before the first reading and on a machine without sensors.
  const std::optional<SensorsSnapshot>& sensors() const { return sensors_.value(); }
  const Verdict& sensorsVerdict() const { return sensorsVerdict_.value(); }
  const MantikSensorLevels& sensorLevels() const { return sensorLevels_; }
  // The last `seconds` of the part called `key` (MantikSensorTexts::partKey).
  std::vector<HistoryPoint> sensorHistory(std::string_view key, double seconds) const;
  const std::optional<std::vector<AppNetworkUsage>>& appNetwork() const { return appNetwork_.value(); }
  const std::map<CardKind, Verdict>& verdicts() const { return verdicts_.value(); }
  const Verdict& headline() const { return headline_.value(); }
  const DiskScanState& diskScan() const { return diskScan_.value(); }
  uint64_t memoryHistoryRevision() const { return memoryHistoryRevision_.value(); }
  uint64_t cpuHistoryRevision() const { return cpuHistoryRevision_.value(); }
  uint64_t networkHistoryRevision() const { return networkHistoryRevision_.value(); }
  // verdicts()[card], or the card's placeholder when there is none.
  Verdict verdict(CardKind card) const;
  // Whether the machine has what the card shows (a machine without sensors has no "Sıcaklık").
  bool isPresent(CardKind card) const;

  const Observable<std::optional<MemorySnapshot>>& memoryProperty() const { return memory_; }
  const Observable<std::optional<CPUSnapshot>>& cpuProperty() const { return cpu_; }
  const Observable<std::optional<NetworkSnapshot>>& networkProperty() const { return network_; }
  const Observable<std::optional<NetworkRates>>& displayRatesProperty() const { return displayRates_; }
  const Observable<std::optional<DiskSnapshot>>& diskProperty() const { return disk_; }
  const Observable<std::optional<ProcessListSnapshot>>& processesProperty() const { return processes_; }
  const Observable<std::optional<BatterySnapshot>>& batteryProperty() const { return battery_; }
  const Observable<std::optional<SensorsSnapshot>>& sensorsProperty() const { return sensors_; }
  const Observable<std::optional<std::vector<AppNetworkUsage>>>& appNetworkProperty() const { return appNetwork_; }
  const Observable<std::map<CardKind, Verdict>>& verdictsProperty() const { return verdicts_; }
  const Observable<Verdict>& headlineProperty() const { return headline_; }
  const Observable<DiskScanState>& diskScanProperty() const { return diskScan_; }
  const Observable<uint64_t>& memoryHistoryRevisionProperty() const { return memoryHistoryRevision_; }
  const Observable<uint64_t>& cpuHistoryRevisionProperty() const { return cpuHistoryRevision_; }
  const Observable<uint64_t>& networkHistoryRevisionProperty() const { return networkHistoryRevision_; }
  const Observable<uint64_t>& sensorsHistoryRevisionProperty() const { return sensorsHistoryRevision_; }
  // The revision counter a reader of `series` should observe.
  const Observable<uint64_t>& historyRevisionProperty(SeriesKind series) const;
  // Fires after any published field changed (once per field change).
  [[nodiscard]] ObservationToken observeAnyChange(std::function<void()> observer) const {
    return anyChange_.subscribe(std::move(observer));
  }

  // ---- read-only views for models and tests ----------------------------------------------
  const SettingsContract& settings() const { return *settings_; }
  const MantikClock& clock() const { return clock_; }
  const MantikHistoryBuffers& historyBuffers() const { return historyBuffers_; }
  // Kinds whose loop exists now.
  std::vector<MantikSampleKind> runningLoops() const;
  bool isWanted(MantikSampleKind kind) const;
  uint64_t scanGeneration() const { return scanGeneration_; }

 private:
  friend struct StoreKinds;
  struct Loop;
  struct ScanTask {
    std::jthread thread;  // destroying it asks the scan to stop and waits for it
  };
  using Done = std::function<void()>;

  // A task for the executor that runs `body` only while this store exists.
  Executor::Task guarded(std::function<void()> body);
  // Sets a published field; observers hear of it only when the value changed.
  template <class T, class V>
  void publish(Observable<T>& field, V&& value) {
    if (field.set(std::forward<V>(value))) anyChange_.notify();
  }

  // The Wanted:: conditions that hold now.
  unsigned wantedConditions() const;
  void updateLoops();
  std::shared_ptr<Loop> makeLoop(MantikSampleKind kind);
  void loopTurn(const std::shared_ptr<Loop>& loop);
  void cancelLoop(Loop& loop);

  void read(MantikSampleKind kind, Done done);
  template <class Sampler, class Apply>
  void readWith(MantikSampleKind kind, const std::shared_ptr<Sampler>& sampler, Apply apply, Done done);
  // Success re-arms the failure log; notReady is silent; each distinct failure message is logged
  // once per kind.
  template <class T>
  MantikReadOutcome<T> classify(const SampleResult<T>& result, MantikSampleKind kind) {
    if (result.ok()) {
      noteSuccess(kind);
      return MantikReadOutcome<T>::of(result.value());
    }
    if (result.error().isNotReady()) return MantikReadOutcome<T>::notReady();
    logFailure(kind, result.error().message());
    return MantikReadOutcome<T>::failed();
  }
  void noteSuccess(MantikSampleKind kind);
  void logFailure(MantikSampleKind kind, const std::string& message);
  void refreshFrom(size_t position, Done done);

  // Apply steps, one per kind, and the derived state.
  void applyMemory(const SampleResult<MemorySnapshot>& result);
  void applyCPU(const SampleResult<CPUSnapshot>& result);
  void applyNetwork(const SampleResult<NetworkSnapshot>& result);
  void applyProcesses(const SampleResult<ProcessListSnapshot>& result);
  void applyDisk(const SampleResult<DiskSnapshot>& result);
  void applyProcessNetwork(const SampleResult<ProcessNetworkSnapshot>& result);
  void applySensors(const SampleResult<std::optional<SensorsSnapshot>>& result);
  std::optional<AppUsage> topCPUApp() const;
  void recomputeVerdicts();
  void evaluateMemoryNotification();
  void evaluateDiskNotification();
  void regroupAppNetwork();
  void clearAppNetwork();

  void finishScan(DiskScanState state, uint64_t generation);

  std::shared_ptr<SettingsContract> settings_;
  Observable<std::optional<MemorySnapshot>> memory_;
  Observable<std::optional<CPUSnapshot>> cpu_;
  Observable<std::optional<NetworkSnapshot>> network_;
  Observable<std::optional<NetworkRates>> displayRates_;
  Observable<std::optional<DiskSnapshot>> disk_;
  Observable<std::optional<ProcessListSnapshot>> processes_;
  Observable<std::optional<BatterySnapshot>> battery_;
  Observable<std::optional<SensorsSnapshot>> sensors_;
  Observable<Verdict> sensorsVerdict_{Verdict{CardKind::sensors, Severity::neutral, "\u2014"}};
  Observable<std::optional<std::vector<AppNetworkUsage>>> appNetwork_;
  Observable<std::map<CardKind, Verdict>> verdicts_;
  Observable<Verdict> headline_;
  Observable<DiskScanState> diskScan_{DiskScanState::idle()};
  Observable<uint64_t> memoryHistoryRevision_{0};
  Observable<uint64_t> cpuHistoryRevision_{0};
  Observable<uint64_t> networkHistoryRevision_{0};
  Observable<uint64_t> sensorsHistoryRevision_{0};
  ObserverList<> anyChange_;

  SamplerSet samplers_;
  std::shared_ptr<MantikNotifying> notifier_;
  MantikClock clock_;
  double terminateRefreshDelay_;
  Executor& executor_;
  std::optional<std::string> scanRoot_;
  MantikHistoryBuffers historyBuffers_{historyDuration};
  MantikSensorHistory sensorHistory_{historyDuration};
  std::shared_ptr<SampleQueueFactory> queueFactory_;
  std::array<std::unique_ptr<SerialQueue>, kAllSampleKinds.size()> sampleQueues_;
  bool isRunning_ = false;
  std::set<Surface> visibleSurfaces_;
  std::map<MantikSampleKind, std::shared_ptr<Loop>> loops_;
  std::map<MantikSampleKind, double> lastReadStart_;
  std::map<MantikSampleKind, std::string> lastLoggedError_;
  MantikCPUHighTracker cpuTracker_{0.8, 30, 5, std::nullopt, std::nullopt};
  MantikNotificationPolicy notificationPolicy_{30, 600, std::nullopt, std::nullopt, true};
  MantikRateSmoother rateSmoother_{3};
  MantikSensorLevels sensorLevels_;
  MantikSensorsNotificationPolicy sensorsNotices_;
  std::optional<double> lastNetworkSample_;
  std::optional<ProcessNetworkSnapshot> lastProcessNetwork_;
  std::optional<Executor::TaskId> processRefreshTask_;
  std::unique_ptr<ScanTask> scanTask_;
  uint64_t scanGeneration_ = 0;

  // Tasks hold this weakly: once the store is gone they do nothing. Declared last so it goes
  // first.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace kovra
