#pragma once
// A store on a manual executor with virtual time, inline sample queues and simulated samplers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "core/fake_samplers.h"
#include "core/manual_executor.h"
#include "logic/app_settings.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "store/store.h"
#include "store/virtual_clock.h"

namespace kovra::testing {

inline MemorySnapshot memoryWithPressure(std::optional<MemoryPressure> pressure) {
  MemorySnapshot m = fakeMemorySnapshot();
  m.pressure = pressure;
  return m;
}

inline NetworkSnapshot networkWithRates(double down, double up) {
  NetworkSnapshot n = fakeNetworkSnapshot();
  n.downloadBytesPerSecond = down;
  n.uploadBytesPerSecond = up;
  return n;
}

// A disk of 1000 bytes with `available` free.
inline DiskSnapshot diskWithFree(uint64_t available) { return DiskSnapshot{1000, available, "Ev"}; }

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() {
    // The binary may be run by hand; the store must see a test run either way.
    ::setenv("XCTestConfigurationFilePath", "kovra", 1);
  }

  SamplerSet samplers() const {
    SamplerSet s;
    s.memory = memory;
    s.cpu = cpu;
    s.network = network;
    s.processes = processes;
    s.terminator = terminator;
    s.disk = disk;
    s.scanner = scanner;
    s.battery = battery;
    s.processNetwork = processNetwork;
    s.sensors = sensors;
    return s;
  }

  Store& make(double terminateRefreshDelay = 1) {
    settings = std::make_shared<AppSettings>(defaults, std::make_shared<FakeLoginItem>());
    store = std::make_unique<Store>(samplers(), settings, notifier, executorClock(ex), terminateRefreshDelay,
                                    StoreEnvironment{ex, queues, std::string("/home/test")});
    return *store;
  }
  // With the menu bar label not showing network, so only memory and disk are always wanted.
  Store& makeQuiet() {
    defaults->set(SettingsKeys::menuBarShowsNetwork, false);
    return make();
  }

  std::map<MantikSampleKind, int64_t> calls() {
    return {{MantikSampleKind::memory, memory->box.callCount()},
            {MantikSampleKind::cpu, cpu->box.callCount()},
            {MantikSampleKind::network, network->box.callCount()},
            {MantikSampleKind::processes, processes->box.callCount()},
            {MantikSampleKind::disk, disk->box.callCount()},
            {MantikSampleKind::battery, battery->box.callCount()},
            {MantikSampleKind::processNetwork, processNetwork->box.callCount()},
            {MantikSampleKind::sensors, sensors->box.callCount()}};
  }
  int64_t callsOf(MantikSampleKind kind) { return calls()[kind]; }

  ManualExecutor ex{100};
  std::shared_ptr<ManualQueueFactory> queues = std::make_shared<ManualQueueFactory>();
  std::shared_ptr<FakeMemorySampler> memory = std::make_shared<FakeMemorySampler>();
  std::shared_ptr<FakeCPUSampler> cpu = std::make_shared<FakeCPUSampler>();
  std::shared_ptr<FakeNetworkSampler> network = std::make_shared<FakeNetworkSampler>();
  std::shared_ptr<FakeProcessSampler> processes = std::make_shared<FakeProcessSampler>();
  std::shared_ptr<FakeAppTerminator> terminator = std::make_shared<FakeAppTerminator>();
  std::shared_ptr<FakeDiskSampler> disk = std::make_shared<FakeDiskSampler>();
  std::shared_ptr<DiskScanning> scanner = std::make_shared<FakeDiskScanner>();
  std::shared_ptr<FakeBatterySampler> battery = std::make_shared<FakeBatterySampler>();
  std::shared_ptr<FakeProcessNetworkSampler> processNetwork = std::make_shared<FakeProcessNetworkSampler>();
  std::shared_ptr<FakeSensorsSampler> sensors = std::make_shared<FakeSensorsSampler>();
  std::shared_ptr<InMemoryDefaults> defaults = std::make_shared<InMemoryDefaults>();
  std::shared_ptr<MantikRecordingNotifier> notifier = std::make_shared<MantikRecordingNotifier>();
  std::shared_ptr<AppSettings> settings;
  std::unique_ptr<Store> store;
};

}  // namespace kovra::testing
