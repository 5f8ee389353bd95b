#pragma once
// A store fed by simulated samplers on a manual executor whose virtual time is also the store's
// clock: tests set a sampler's value, call read(), and the store applies it at the current
// virtual time.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "core/fake_samplers.h"
#include "core/manual_executor.h"
#include "logic/app_settings.h"
#include "logic/clock.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "store/store.h"

namespace kovra::testing {

class StoreFixture : public ::testing::Test {
 protected:
  StoreFixture() {
    settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
    SamplerSet set;
    set.memory = memorySampler;
    set.cpu = cpuSampler;
    set.network = networkSampler;
    set.processes = processSampler;
    set.terminator = std::make_shared<FakeAppTerminator>();
    set.disk = diskSampler;
    set.scanner = std::make_shared<FakeDiskScanner>();
    set.battery = batterySampler;
    set.processNetwork = processNetworkSampler;
    // Nothing is read until a test asks for it.
    memorySampler->box.set(notReady());
    cpuSampler->box.set(notReady());
    networkSampler->box.set(notReady());
    processSampler->box.set(notReady());
    diskSampler->box.set(notReady());
    batterySampler->box.set(notReady());
    processNetworkSampler->box.set(notReady());
    MantikClock clock{[this] { return wallNow(); }, [this] { return executor.now(); }};
    store = std::make_unique<Store>(set, settings, std::make_shared<MantikRecordingNotifier>(), clock, 1.0,
                                    StoreEnvironment{executor, queues, std::nullopt});
  }

  // Takes one immediate set of readings and applies it.
  void read() {
    store->refreshNow();
    executor.runPending();
  }
  // Moves virtual time, which is also the store's uptime and wall clock (the store's refresh
  // skips kinds read less than half an interval ago).
  void advance(double seconds) { executor.advance(seconds); }
  Date wallNow() const { return wallStart + std::chrono::milliseconds(std::llround(executor.now() * 1000)); }

  // Virtual time starts at uptime 1000 on the first day of 2026.
  ManualExecutor executor{1000};
  Date wallStart = MantikManualClock::defaultStart();
  std::shared_ptr<ManualQueueFactory> queues = std::make_shared<ManualQueueFactory>();
  std::shared_ptr<AppSettings> settings;
  std::shared_ptr<FakeMemorySampler> memorySampler = std::make_shared<FakeMemorySampler>();
  std::shared_ptr<FakeCPUSampler> cpuSampler = std::make_shared<FakeCPUSampler>();
  std::shared_ptr<FakeNetworkSampler> networkSampler = std::make_shared<FakeNetworkSampler>();
  std::shared_ptr<FakeProcessSampler> processSampler = std::make_shared<FakeProcessSampler>();
  std::shared_ptr<FakeDiskSampler> diskSampler = std::make_shared<FakeDiskSampler>();
  std::shared_ptr<FakeBatterySampler> batterySampler = std::make_shared<FakeBatterySampler>();
  std::shared_ptr<FakeProcessNetworkSampler> processNetworkSampler = std::make_shared<FakeProcessNetworkSampler>();
  std::unique_ptr<Store> store;
};

inline NetworkSnapshot networkAt(double down, double up) {
  NetworkSnapshot n;
  n.downloadBytesPerSecond = down;
  n.uploadBytesPerSecond = up;
  n.totalDownloadedBytes = 5'000'000;
  n.totalUploadedBytes = 70'000;
  n.connection = ConnectionKind::wifi;
  n.localIP = "192.168.1.20";
  return n;
}

// Counts notifications of one property.
template <class T>
struct ChangeCounter {
  explicit ChangeCounter(const Observable<T>& o) : token(o.subscribe([this](const T&) { ++count; })) {}
  int count = 0;
  ObservationToken token;
};

}  // namespace kovra::testing
