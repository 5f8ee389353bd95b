// Measures one piece of work the way the side-by-side comparison (compare.sh) needs it, and
// prints "<what> cpu_ms=<n> wall_ms=<n> ..." lines:
//
//   bench_probe refresh N [MS]   N steady process refreshes after two warm-up ones (CPU per refresh),
//                                back to back or MS milliseconds apart
//   bench_probe first            the first process reading of a fresh sampler (new processes, app identity)
//   bench_probe second [S]       the reading S seconds (default 1) after the first, as --dump's second pass
//   bench_probe scan ROOT [T]    one home scan of ROOT with T workers (default: one per core)
//   bench_probe scan-check ROOT  the one-thread and the pooled walk give the same result

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/linux/linux_process_table.h"
#include "samplers/disk/disk_scanner.h"
#include "samplers/process/process_sampler.h"

namespace {

double nowMs(clockid_t clock) {
  timespec ts{};
  ::clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long maxRssKb() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

size_t processCount(const kovra::ProcessListSnapshot& s) {
  size_t n = 0;
  for (const auto& a : s.apps) n += a.processes.size();
  return n;
}

// With an interval, the refreshes are that many milliseconds apart (as a monitor's are), so
// each one finds the kernel's data for the processes as the rest of the machine left it.
int refresh(int n, double intervalMs) {
  kovra::ProcessSampler sampler;
  (void)sampler.sample();
  (void)sampler.sample();
  size_t processes = 0;
  double cpu = 0, wall = 0;
  for (int i = 0; i < n; ++i) {
    if (intervalMs > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(intervalMs));
    double c = nowMs(CLOCK_PROCESS_CPUTIME_ID), w = nowMs(CLOCK_MONOTONIC);
    auto r = sampler.sample();
    cpu += nowMs(CLOCK_PROCESS_CPUTIME_ID) - c;
    wall += nowMs(CLOCK_MONOTONIC) - w;
    if (r.ok()) processes = processCount(r.value());
  }
  std::printf("refresh processes=%zu refreshes=%d interval_ms=%.0f cpu_ms_per_refresh=%.3f wall_ms_per_refresh=%.3f\n",
              processes, n, intervalMs, cpu / n, wall / n);
  return 0;
}

// The reading a settle time after the first, as --dump's second pass makes it.
int second(double settleSeconds) {
  kovra::ProcessSampler sampler;
  (void)sampler.sample();
  std::this_thread::sleep_for(std::chrono::duration<double>(settleSeconds));
  double cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID), wall = nowMs(CLOCK_MONOTONIC);
  auto r = sampler.sample();
  cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID) - cpu;
  wall = nowMs(CLOCK_MONOTONIC) - wall;
  std::printf("second processes=%zu cpu_ms=%.3f wall_ms=%.3f\n", r.ok() ? processCount(r.value()) : 0, cpu, wall);
  return r.ok() ? 0 : 1;
}

int first() {
  double cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID), wall = nowMs(CLOCK_MONOTONIC);
  kovra::ProcessSampler sampler;
  auto r = sampler.sample();
  cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID) - cpu;
  wall = nowMs(CLOCK_MONOTONIC) - wall;
  size_t apps = r.ok() ? r->apps.size() : 0;
  std::printf("first processes=%zu apps=%zu cpu_ms=%.3f wall_ms=%.3f\n", r.ok() ? processCount(r.value()) : 0, apps,
              cpu, wall);
  return r.ok() ? 0 : 1;
}

kovra::Result<kovra::DiskScanResult, kovra::ScanError> scanWith(const std::string& root, size_t workers) {
  kovra::DiskScanner scanner([] { return std::shared_ptr<kovra::FileSystem>(kovra::makeFileSystem()); },
                             kovra::steadyScanClock(), workers);
  return scanner.scan(root, {}, {});
}

int scan(const std::string& root, size_t workers) {
  double cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID), wall = nowMs(CLOCK_MONOTONIC);
  auto r = scanWith(root, workers);
  cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID) - cpu;
  wall = nowMs(CLOCK_MONOTONIC) - wall;
  if (!r.ok()) {
    std::fprintf(stderr, "scan failed: %s\n", r.error().message.c_str());
    return 1;
  }
  std::printf("scan workers=%zu files=%lld bytes=%llu cpu_ms=%.1f wall_ms=%.1f max_rss_kb=%ld\n", workers,
              static_cast<long long>(r->scannedFileCount), static_cast<unsigned long long>(r->scannedBytes), cpu, wall,
              maxRssKb());
  return 0;
}

int scanCheck(const std::string& root) {
  auto one = scanWith(root, 1);
  auto pooled = scanWith(root, kovra::DiskScanner::defaultWorkers());
  bool same = one.ok() && pooled.ok() && one.value() == pooled.value();
  std::printf("scan-check files=%lld identical=%s\n", one.ok() ? static_cast<long long>(one->scannedFileCount) : -1LL,
              same ? "yes" : "NO");
  return same ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  if (what == "refresh") return refresh(argc > 2 ? std::atoi(argv[2]) : 20, argc > 3 ? std::atof(argv[3]) : 0);
  if (what == "first") return first();
  if (what == "second") return second(argc > 2 ? std::atof(argv[2]) : 1.0);
  if (what == "scan" && argc > 2)
    return scan(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : kovra::DiskScanner::defaultWorkers());
  if (what == "scan-check" && argc > 2) return scanCheck(argv[2]);
  std::fprintf(stderr, "usage: bench_probe refresh N [MS] | first | second [S] | scan ROOT [WORKERS] | scan-check ROOT\n");
  return 2;
}
