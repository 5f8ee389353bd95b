// The search for the processes holding sockets, against processes of this benchmark's own that
// hold many descriptors (KOVRA_BENCH_PROCESSES × KOVRA_BENCH_DESCRIPTORS, 50 × 19,000 unless set).
// "Everything" reads every descriptor of every process in pid order, as the search once always
// did; "Search" is the bounded search the traffic tool runs.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/sock_diag.h"

namespace {

size_t fromEnvironment(const char* name, size_t fallback) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::strtoul(v, nullptr, 10) : fallback;
}

struct Crowd {
  pid_t group = 0;
  uint64_t heldInode = 0;  // a socket of the last process started
  size_t descriptors = 0;

  Crowd() {
    const size_t processes = fromEnvironment("KOVRA_BENCH_PROCESSES", 50);
    const size_t each = fromEnvironment("KOVRA_BENCH_DESCRIPTORS", 19'000);
    int ready[2];
    if (::pipe(ready) != 0) std::abort();
    for (size_t i = 0; i <= processes; ++i) {
      pid_t pid = ::fork();
      if (pid == 0) {
        ::setpgid(0, group);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the benchmark
        ::close(ready[0]);
        uint64_t report = 0;
        if (i < processes) {
          rlimit limit{each + 64, each + 64};
          ::setrlimit(RLIMIT_NOFILE, &limit);
          int null = ::open("/dev/null", O_RDONLY);
          for (size_t k = 0; k < each; ++k) ::dup(null);
        } else {
          int pair[2];
          ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair);
          struct stat st {};
          ::fstat(pair[0], &st);
          report = st.st_ino;
        }
        if (::write(ready[1], &report, sizeof report) != sizeof report) ::_exit(1);
        ::pause();
        ::_exit(0);
      }
      if (group == 0) group = pid;
      ::setpgid(pid, group);
    }
    ::close(ready[1]);
    for (size_t i = 0; i <= processes; ++i) {
      uint64_t report = 0;
      if (::read(ready[0], &report, sizeof report) != sizeof report) std::abort();
      if (report != 0) heldInode = report;
    }
    ::close(ready[0]);
    descriptors = processes * each;
  }
  ~Crowd() {
    ::kill(-group, SIGKILL);
    while (::waitpid(-group, nullptr, 0) > 0) {
    }
  }
};

Crowd* started = nullptr;

Crowd& crowd() {
  if (started == nullptr) started = new Crowd;
  return *started;
}

void report(benchmark::State& state, const kovra::sockdiag::OwnerScan& scan) {
  state.counters["descriptors_read"] = static_cast<double>(scan.descriptorsRead);
  state.counters["complete"] = scan.complete ? 1 : 0;
  state.counters["descriptors_open"] = static_cast<double>(crowd().descriptors);
}

void BM_EverythingHeldSocket(benchmark::State& state) {
  const std::unordered_set<uint64_t> wanted{crowd().heldInode};
  for (auto _ : state) benchmark::DoNotOptimize(kovra::sockdiag::socketOwners("/proc", wanted));
}
BENCHMARK(BM_EverythingHeldSocket)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SearchHeldSocket(benchmark::State& state) {
  const std::unordered_map<uint64_t, uint32_t> wanted{{crowd().heldInode, ::getuid()}};
  kovra::sockdiag::OwnerScan scan;
  for (auto _ : state) scan = kovra::sockdiag::findSocketOwners("/proc", wanted);
  report(state, scan);
}
BENCHMARK(BM_SearchHeldSocket)->Unit(benchmark::kMillisecond)->Iterations(3);

// A socket no readable process holds (another user's, say): nothing ends the search early.
void BM_EverythingUnheldSocket(benchmark::State& state) {
  crowd();
  const std::unordered_set<uint64_t> wanted{1};
  for (auto _ : state) benchmark::DoNotOptimize(kovra::sockdiag::socketOwners("/proc", wanted));
}
BENCHMARK(BM_EverythingUnheldSocket)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SearchUnheldSocket(benchmark::State& state) {
  crowd();
  const std::unordered_map<uint64_t, uint32_t> wanted{{1, ::getuid()}};
  kovra::sockdiag::OwnerScan scan;
  for (auto _ : state) scan = kovra::sockdiag::findSocketOwners("/proc", wanted);
  report(state, scan);
}
BENCHMARK(BM_SearchUnheldSocket)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete started;
  return 0;
}
