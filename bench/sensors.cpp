// Cost of one steady-state sensors reading over the AMD desktop fixture tree (a processor, a
// graphics card with a fan, two NVMe drives and a board chip with three fans: 20 inputs and the
// card's power state), with the heap allocations each reading makes (counter "allocs"). The
// reader's own pass (one pread per input into a stack buffer) is measured apart from the
// grouping into parts, which builds the snapshot the store keeps.

#include "allocation_counter.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/linux/linux_sensors.h"
#include "samplers/system/sensors_sampler.h"

namespace {

using namespace kovra;

const std::string kAmdDesktop = std::string(KOVRA_SYS_FIXTURES) + "/amd-desktop";

long allocationsNow() { return static_cast<long>(kovra::bench::allocations.load(std::memory_order_relaxed)); }

void BM_SensorsReader_AmdDesktop(benchmark::State& state) {
  LinuxSensorsPlatform platform(kAmdDesktop, [] { return 0.0; });
  std::vector<SensorChannel> channels;
  platform.read(channels);  // the listing
  long allocations = 0;
  for (auto _ : state) {
    const long before = allocationsNow();
    platform.read(channels);
    allocations += allocationsNow() - before;
    benchmark::DoNotOptimize(channels.data());
  }
  state.counters["inputs"] = static_cast<double>(channels.size());
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

void BM_SensorsSampler_AmdDesktop(benchmark::State& state) {
  SensorsSampler sampler(std::make_unique<LinuxSensorsPlatform>(kAmdDesktop, [] { return 0.0; }));
  (void)sampler.sample();
  long allocations = 0;
  for (auto _ : state) {
    const long before = allocationsNow();
    auto r = sampler.sample();
    allocations += allocationsNow() - before;
    benchmark::DoNotOptimize(r);
  }
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_SensorsReader_AmdDesktop);
BENCHMARK(BM_SensorsSampler_AmdDesktop);

}  // namespace

BENCHMARK_MAIN();
