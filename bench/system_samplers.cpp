// Cost of one steady-state reading of the CPU, memory, disk and battery samplers, with the heap
// allocations each reading makes (counter "allocs"). The battery is read from a laptop-like
// fixture tree so the figure means something on machines without a battery too.
//
// System calls per reading are counted from outside:
//   bench_system_samplers --steady <cpu|memory|disk|battery|battery-none> <N>
// runs N steady readings after a warm-up and nothing else, so
//   strace -f -c bench_system_samplers --steady memory 1000   minus the same with 0
// divided by 1000 is the count per reading.

#include "allocation_counter.h"

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "platform/linux/linux_battery.h"
#include "samplers/disk/disk_sampler.h"
#include "samplers/system/battery_sampler.h"
#include "samplers/system/cpu_sampler.h"
#include "samplers/system/memory_sampler.h"

namespace {

using namespace kovra;

// A laptop's power-supply folder, removed again at exit.
struct LaptopTree {
  std::string root;
  LaptopTree() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kovra-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    root = tmpl;
    auto put = [&](const std::string& file, const char* value) {
      std::filesystem::create_directories(std::filesystem::path(root + "/" + file).parent_path());
      std::ofstream(root + "/" + file) << value << "\n";
    };
    put("AC/type", "Mains");
    put("AC/online", "0");
    put("BAT0/type", "Battery");
    put("BAT0/status", "Discharging");
    put("BAT0/present", "1");
    put("BAT0/energy_now", "30000000");
    put("BAT0/energy_full", "60000000");
    put("BAT0/voltage_now", "12000000");
    put("BAT0/current_now", "604000");
    put("BAT0/power_now", "7250000");
    put("BAT0/cycle_count", "42");
  }
  ~LaptopTree() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

LaptopTree& laptop() {
  static LaptopTree tree;
  return tree;
}

template <class Sampler>
void steady(benchmark::State& state, Sampler& sampler) {
  (void)sampler.sample();  // baseline and caches
  (void)sampler.sample();
  long allocations = 0;
  for (auto _ : state) {
    long before = static_cast<long>(kovra::bench::allocations.load(std::memory_order_relaxed));
    auto r = sampler.sample();
    allocations += static_cast<long>(kovra::bench::allocations.load(std::memory_order_relaxed)) - before;
    benchmark::DoNotOptimize(r);
  }
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

void BM_CPUSampler(benchmark::State& state) {
  CPUSampler s;
  steady(state, s);
}
void BM_MemorySampler(benchmark::State& state) {
  MemorySampler s;
  steady(state, s);
}
void BM_DiskSampler(benchmark::State& state) {
  DiskSampler s;
  steady(state, s);
}
void BM_BatterySampler_Laptop(benchmark::State& state) {
  BatterySampler s(std::make_unique<LinuxBatteryPlatform>(laptop().root));
  steady(state, s);
}
void BM_BatterySampler_ThisMachine(benchmark::State& state) {
  BatterySampler s;
  steady(state, s);
}

BENCHMARK(BM_CPUSampler);
BENCHMARK(BM_MemorySampler);
BENCHMARK(BM_DiskSampler);
BENCHMARK(BM_BatterySampler_Laptop);
BENCHMARK(BM_BatterySampler_ThisMachine);

template <class Sampler>
int runSteady(Sampler& sampler, long n) {
  (void)sampler.sample();
  (void)sampler.sample();
  for (long i = 0; i < n; ++i) benchmark::DoNotOptimize(sampler.sample());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--steady") == 0) {
    const std::string which = argv[2];
    const long n = std::strtol(argv[3], nullptr, 10);
    if (which == "cpu") {
      CPUSampler s;
      return runSteady(s, n);
    }
    if (which == "memory") {
      MemorySampler s;
      return runSteady(s, n);
    }
    if (which == "disk") {
      DiskSampler s;
      return runSteady(s, n);
    }
    if (which == "battery") {
      BatterySampler s(std::make_unique<LinuxBatteryPlatform>(laptop().root));
      return runSteady(s, n);
    }
    if (which == "battery-none") {
      BatterySampler s;
      return runSteady(s, n);
    }
    std::fprintf(stderr, "unknown sampler %s\n", which.c_str());
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
