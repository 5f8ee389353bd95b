// Speed of the disk scan, and its total beside du's for the same tree.
//
//   bench_disk_scan [--benchmark_...]            scans /usr
//   KOVRA_BENCH_SCAN_ROOT=/some/folder bench_disk_scan
//
// The scan counts the space files occupy (blocks × 512, each file once however many names it
// has); du -sB1 -x also counts the folders' and symbolic links' own blocks, so the comparison
// subtracts those.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "samplers/disk/disk_scanner.h"

namespace {

std::string scanRoot() {
  const char* root = std::getenv("KOVRA_BENCH_SCAN_ROOT");
  return root != nullptr && *root != 0 ? root : "/usr";
}

std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Sum of the numbers a shell command prints, one per line.
unsigned long long sumOf(const std::string& command) {
  unsigned long long total = 0;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    unsigned long long v;
    while (std::fscanf(p, "%llu%*[^\n]", &v) == 1) total += v;
    ::pclose(p);
  }
  return total;
}

kovra::DiskScanResult lastResult;

void BM_DiskScan(benchmark::State& state) {
  kovra::DiskScanner scanner;
  std::string root = scanRoot();
  int64_t files = 0;
  for (auto _ : state) {
    auto r = scanner.scan(root, {}, {});
    if (!r.ok()) {
      state.SkipWithError(r.error().message.c_str());
      return;
    }
    files += r->scannedFileCount;
    lastResult = r.value();
  }
  state.counters["files/s"] = benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsRate);
  state.counters["files"] = static_cast<double>(lastResult.scannedFileCount);
}
BENCHMARK(BM_DiskScan)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::string q = shellQuote(scanRoot());
  unsigned long long du = sumOf("du -sB1 -x " + q + " 2>/dev/null");
  // find's %b is in 512-byte blocks.
  unsigned long long foldersAndLinks =
      512 * sumOf("find " + q + " -xdev \\( -type d -o -type l \\) -printf '%b\\n' 2>/dev/null");
  std::printf("root: %s\n", scanRoot().c_str());
  std::printf("scan total:                     %llu bytes in %lld files (%lld skipped)\n",
              static_cast<unsigned long long>(lastResult.scannedBytes),
              static_cast<long long>(lastResult.scannedFileCount), static_cast<long long>(lastResult.skippedCount));
  std::printf("du -sB1 -x:                     %llu bytes\n", du);
  std::printf("du less folders and links:      %llu bytes (difference %lld)\n", du - foldersAndLinks,
              static_cast<long long>(du - foldersAndLinks) - static_cast<long long>(lastResult.scannedBytes));
  return 0;
}
