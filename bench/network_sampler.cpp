// Cost of one steady-state network reading on this machine: the rtnetlink dump of every link,
// the physical-interface filter, the rate arithmetic and the cached address. Prints the time,
// the allocations and (when strace is installed) the system calls of one reading; then the cost
// of one per-app traffic reading.

#include "allocation_counter.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include "samplers/network/network_sampler.h"
#include "samplers/network/process_network_sampler.h"

namespace kovra {
namespace {

// The live platform with a clock that moves one second per reading, so that every reading is a
// full one (rates computed, baseline moved) however fast the loop runs.
class SteppingClock : public NetworkPlatform {
 public:
  int addressLookups = 0;
  Result<Unit, std::string> readCounters(std::vector<NetInterfaceCounter>& out) override { return real_->readCounters(out); }
  uint64_t monotonicNanoseconds() override { return now_ += 1'000'000'000; }
  std::string clockFailureText() const override { return real_->clockFailureText(); }
  std::optional<std::vector<InterfaceAddressEntry>> interfaceAddresses() override {
    ++addressLookups;
    return real_->interfaceAddresses();
  }
  std::unique_ptr<NetworkPathMonitor> makePathMonitor() override { return real_->makePathMonitor(); }
  std::string pathNotReadyText() const override { return real_->pathNotReadyText(); }

 private:
  std::shared_ptr<NetworkPlatform> real_ = makeSystemNetworkPlatform();
  uint64_t now_ = 1'000'000'000;
};

// A sampler past its first readings: baseline taken, path known, address cached for 10 s.
std::unique_ptr<NetworkSampler> steadySampler(const std::shared_ptr<SteppingClock>& platform) {
  auto sampler = std::make_unique<NetworkSampler>(platform);
  for (int i = 0; i < 3; ++i) (void)sampler->sample();
  return sampler;
}

void BM_SteadyReading(benchmark::State& state) {
  auto platform = std::make_shared<SteppingClock>();
  auto sampler = steadySampler(platform);
  uint64_t steadyAllocations = 0;
  uint64_t lookupAllocations = 0;
  int steadyReadings = 0;
  int lookupReadings = 0;
  for (auto _ : state) {
    // The address is looked up again every ten seconds of the stepping clock, so every tenth
    // reading; those are counted apart.
    const int lookups = platform->addressLookups;
    const uint64_t before = kovra::bench::allocations.load();
    auto r = sampler->sample();
    const uint64_t used = kovra::bench::allocations.load() - before;
    benchmark::DoNotOptimize(r);
    if (platform->addressLookups != lookups) {
      lookupAllocations += used;
      ++lookupReadings;
    } else {
      steadyAllocations += used;
      ++steadyReadings;
    }
    if (!r.ok()) state.SkipWithError(r.error().text().c_str());
  }
  state.counters["allocs/reading"] = static_cast<double>(steadyAllocations) / std::max(1, steadyReadings);
  state.counters["allocs/lookup"] = static_cast<double>(lookupAllocations) / std::max(1, lookupReadings);
}
BENCHMARK(BM_SteadyReading)->Unit(benchmark::kMicrosecond);

// One per-app traffic reading as the network page takes it, every 2 s of a stepped clock: the
// socket dump, the owner search and the rate arithmetic. Processor time counts this process and
// any it started.
double processorMicros() {
  rusage self{}, children{};
  ::getrusage(RUSAGE_SELF, &self);
  ::getrusage(RUSAGE_CHILDREN, &children);
  auto us = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec); };
  return us(self.ru_utime) + us(self.ru_stime) + us(children.ru_utime) + us(children.ru_stime);
}

void BM_ProcessTrafficReading(benchmark::State& state) {
  uint64_t now = 1;
  kovra::ProcessNetworkSampler sampler(kovra::readProcessTraffic, [&] { return now += 1'000'000'000; });
  (void)sampler.sample();
  const double start = processorMicros();
  for (auto _ : state) {
    auto r = sampler.sample();
    benchmark::DoNotOptimize(r);
    if (!r.ok()) state.SkipWithError(r.error().text().c_str());
  }
  state.counters["cpu_us_with_children"] = (processorMicros() - start) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProcessTrafficReading)->Unit(benchmark::kMicrosecond);

// ---- system calls --------------------------------------------------------------------------

int runReadings(int count) {
  auto sampler = steadySampler(std::make_shared<SteppingClock>());
  for (int i = 0; i < count; ++i) (void)sampler->sample();
  return 0;
}

// Per-call counts of `strace -c` run over `readings` readings.
std::map<std::string, long> traceCounts(int readings) {
  const std::string out = "/tmp/kovra_bench_network_strace_" + std::to_string(readings);
  const std::string command = "strace -f -c -o " + out + " /proc/" + std::to_string(getpid()) +
                              "/exe --syscall-child " + std::to_string(readings) + " >/dev/null 2>&1";
  std::map<std::string, long> counts;
  if (std::system(command.c_str()) != 0) return counts;
  std::ifstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    double percent = 0, seconds = 0;
    long usecs = 0, calls = 0;
    std::string name;
    if (fields >> percent >> seconds >> usecs >> calls) {
      std::string maybeErrors;
      fields >> maybeErrors;
      name = maybeErrors;
      std::string rest;
      if (fields >> rest) name = rest;  // an errors column came first
      if (!name.empty() && name != "total") counts[name] = calls;
    }
  }
  std::remove(out.c_str());
  return counts;
}

void printSyscalls() {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) {
    std::printf("system calls per reading: strace is not installed\n");
    return;
  }
  constexpr int kFew = 20;
  constexpr int kMany = 1020;
  const auto few = traceCounts(kFew);
  const auto many = traceCounts(kMany);
  if (many.empty()) {
    std::printf("system calls per reading: strace could not run\n");
    return;
  }
  double total = 0;
  std::printf("system calls per steady reading (strace, %d readings):\n", kMany - kFew);
  for (const auto& [name, calls] : many) {
    const auto it = few.find(name);
    const double perReading = static_cast<double>(calls - (it == few.end() ? 0 : it->second)) / (kMany - kFew);
    if (perReading >= 0.01) std::printf("  %-12s %.2f\n", name.c_str(), perReading);
    total += perReading;
  }
  std::printf("  %-12s %.2f\n", "total", total);
  std::printf("(every tenth reading also looks up the interface address with getifaddrs)\n");
}

}  // namespace
}  // namespace kovra

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--syscall-child") return kovra::runReadings(std::atoi(argv[2]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kovra::printSyscalls();
  return 0;
}
