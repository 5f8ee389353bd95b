#pragma once
// The world the refresh benchmarks measure: a store fed by samplers whose readings wander, so
// that every history point differs, run in virtual time until its one-hour rings are full.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/fake_samplers.h"
#include "core/manual_executor.h"
#include "logic/app_settings.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "store/store.h"

namespace kovra::bench {

class WanderingCPU final : public CPUSampling {
 public:
  SampleResult<CPUSnapshot> sample() override {
    ++n_;
    return CPUSnapshot{0.5 + 0.4 * std::sin(n_ * 0.1), 0.3, 0.1, 8};
  }

 private:
  double n_ = 0;
};

class WanderingNetwork final : public NetworkSampling {
 public:
  // With `growingTotals` the download total climbs too, so its texts change on every reading.
  explicit WanderingNetwork(bool growingTotals = false) : growingTotals_(growingTotals) {}

  SampleResult<NetworkSnapshot> sample() override {
    ++n_;
    NetworkSnapshot s = fakeNetworkSnapshot();
    s.downloadBytesPerSecond = 2e6 + 1e6 * std::sin(n_ * 0.05);
    s.uploadBytesPerSecond = 1e5 + 5e4 * std::cos(n_ * 0.07);
    if (growingTotals_) s.totalDownloadedBytes += static_cast<uint64_t>(n_ * 1e6);
    return s;
  }

 private:
  bool growingTotals_;
  double n_ = 0;
};

// The simulated set with wandering processor and network readings.
inline SamplerSet wanderingSamplers(bool growingTotals = false) {
  SamplerSet set = SamplerSet::simulated();
  set.cpu = std::make_shared<WanderingCPU>();
  set.network = std::make_shared<WanderingNetwork>(growingTotals);
  return set;
}

struct WanderingStore {
  // Samples for `seconds` of virtual time with `surfaces` visible; they stay visible.
  WanderingStore(SamplerSet set, const std::vector<Surface>& surfaces, double seconds) {
    auto settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
    MantikClock clock{[this] { return start + std::chrono::milliseconds(std::llround(executor.now() * 1000)); },
                      [this] { return executor.now(); }};
    store = std::make_unique<Store>(std::move(set), settings, std::make_shared<MantikRecordingNotifier>(), clock, 1.0,
                                    StoreEnvironment{executor, std::make_shared<ManualQueueFactory>(), std::nullopt});
    store->startIgnoringRunMode();
    for (Surface s : surfaces) store->setVisible(s, true);
    executor.advance(seconds);
  }

  ManualExecutor executor{100};
  Date start = std::chrono::system_clock::now();
  std::unique_ptr<Store> store;
};

}  // namespace kovra::bench
