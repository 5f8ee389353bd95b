// Cost of one steady refresh of the process table with ~2,000 idle processes: kept stat/statm
// descriptors re-read with pread, beside the same reading done with open/read/close, and the
// whole process sampler. Prints time, read system calls and allocations per process.

#include "allocation_counter.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/linux/linux_process_table.h"
#include "platform/linux/proc_table.h"
#include "samplers/process/process_sampler.h"

namespace {

std::vector<pid_t> gChildren;

void spawnIdle(int count) {
  for (int i = 0; i < count; ++i) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      while (true) ::pause();
    }
    if (pid < 0) break;
    gChildren.push_back(pid);
  }
}

void stopIdle() {
  for (pid_t pid : gChildren) ::kill(pid, SIGKILL);
  for (pid_t pid : gChildren) ::waitpid(pid, nullptr, 0);
}

// Read-type system calls of this process so far (pread64, read).
uint64_t readCalls() {
  int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
  char buffer[512] = {};
  ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n <= 0) return 0;
  const char* at = std::strstr(buffer, "syscr:");
  return at ? std::strtoull(at + 6, nullptr, 10) : 0;
}

std::vector<int32_t> gPids(1 << 16);

size_t refreshKept(kovra::linux_proc::ProcTable& table) {
  auto n = table.list(gPids);
  size_t count = n.ok() ? n.value() : 0;
  uint64_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    auto r = table.read(gPids[i]);
    if (r.ok()) sum += r->cpuTicks;
  }
  benchmark::DoNotOptimize(sum);
  return count;
}

size_t refreshOpenReadClose(kovra::linux_proc::ProcTable& table) {
  auto n = table.list(gPids);
  size_t count = n.ok() ? n.value() : 0;
  char stat[2048];
  char statm[256];
  char path[32];
  uint64_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(path, sizeof path, "%d/stat", gPids[i]);
    int a = ::openat(table.rootFd(), path, O_RDONLY | O_CLOEXEC);
    if (a < 0) continue;
    ssize_t na = ::read(a, stat, sizeof stat);
    ::close(a);
    std::snprintf(path, sizeof path, "%d/statm", gPids[i]);
    int b = ::openat(table.rootFd(), path, O_RDONLY | O_CLOEXEC);
    if (b < 0) continue;
    ssize_t nb = ::read(b, statm, sizeof statm);
    ::close(b);
    kovra::linux_proc::ProcReading r;
    if (na > 0 && nb > 0 && kovra::linux_proc::fillReading({stat, size_t(na)}, {statm, size_t(nb)}, r)) {
      sum += r.cpuTicks;
    }
  }
  benchmark::DoNotOptimize(sum);
  return count;
}

template <size_t (*Refresh)(kovra::linux_proc::ProcTable&)>
void reportRefresh(benchmark::State& state, int extraCallsPerProcess) {
  kovra::linux_proc::ProcTable table;
  size_t processes = Refresh(table);  // first refresh opens what it keeps
  uint64_t reads = readCalls();
  uint64_t allocations = kovra::bench::allocations.load();
  int64_t refreshes = 0;
  for (auto _ : state) {
    processes = Refresh(table);
    ++refreshes;
  }
  reads = readCalls() - reads;
  allocations = kovra::bench::allocations.load() - allocations;
  double perProcess = double(reads) / double(refreshes) / double(processes);
  state.counters["processes"] = double(processes);
  state.counters["ns_per_process"] =
      benchmark::Counter(double(processes) * double(refreshes), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["read_calls_per_process"] = perProcess;
  state.counters["syscalls_per_process"] = perProcess + extraCallsPerProcess;
  state.counters["allocs_per_refresh"] = double(allocations) / double(refreshes);
  state.counters["kept"] = double(table.keptCount());
}

void BM_SteadyRefreshKeptDescriptors(benchmark::State& state) { reportRefresh<refreshKept>(state, 0); }
// Two opens and two closes per process besides the reads.
void BM_SteadyRefreshOpenReadClose(benchmark::State& state) { reportRefresh<refreshOpenReadClose>(state, 4); }

void BM_ProcessSamplerSample(benchmark::State& state) {
  auto source = std::make_shared<kovra::linux_proc::LinuxProcessTable>(
      "/proc", kovra::linux_proc::DesktopIndex::shared(), ::getuid(), ::getpid());
  kovra::ProcessSampler sampler(source, ::getpid(), kovra::platform::monotonicNanos);
  (void)sampler.sample();
  (void)sampler.sample();
  uint64_t allocations = kovra::bench::allocations.load();
  int64_t calls = 0;
  size_t processes = 0;
  for (auto _ : state) {
    auto r = sampler.sample();
    processes = 0;
    if (r.ok()) {
      for (const auto& a : r->apps) processes += a.processes.size();
    }
    benchmark::DoNotOptimize(r);
    ++calls;
  }
  state.counters["processes"] = double(processes);
  state.counters["ns_per_process"] =
      benchmark::Counter(double(processes) * double(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocs_per_sample"] = double(kovra::bench::allocations.load() - allocations) / double(calls);
}

BENCHMARK(BM_SteadyRefreshKeptDescriptors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyRefreshOpenReadClose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessSamplerSample)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const char* count = std::getenv("KOVRA_BENCH_PROCESSES");
  spawnIdle(count ? std::atoi(count) : 2000);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  stopIdle();
  return 0;
}
