#include "core/fake_samplers.h"

namespace kovra {

MemorySnapshot fakeMemorySnapshot() {
  constexpr uint64_t gib = 1ull << 30;
  return MemorySnapshot{16 * gib, 6 * gib, 2 * gib, gib, 4 * gib, MemoryPressure::normal, SwapUsage{2 * gib, gib / 4}};
}

CPUSnapshot fakeCPUSnapshot() { return CPUSnapshot{0.25, 0.15, 0.10, 8}; }

NetworkSnapshot fakeNetworkSnapshot() {
  return NetworkSnapshot{125000, 18000, 512000000, 64000000, ConnectionKind::wifi, "wlan0", "192.168.1.20"};
}

DiskSnapshot fakeDiskSnapshot() { return DiskSnapshot{500000000000ull, 180000000000ull, "Ev"}; }

ProcessListSnapshot fakeProcessListSnapshot() {
  AppUsage browser{"/usr/share/applications/org.example.Browser.desktop",
                   "Tarayıcı",
                   AppGroupKind::app,
                   "/usr/share/applications/org.example.Browser.desktop",
                   "org.example.Browser",
                   900000000,
                   0.12,
                   {ProcessEntry{4100, "browser", 600000000, 0.08}, ProcessEntry{4101, "browser-gpu", 300000000, 0.04}},
                   true};
  AppUsage system{"system", "Sistem ve arka plan", AppGroupKind::system, std::nullopt, std::nullopt, 400000000, 0.03,
                  {ProcessEntry{1, "systemd", 400000000, 0.03}}, false};
  return ProcessListSnapshot{{browser, system}, 0};
}

BatterySnapshot fakeBatterySnapshot() {
  return BatterySnapshot{0.8, false, false, false, -7.5, std::nullopt, std::nullopt, 240, 312};
}

ProcessNetworkSnapshot fakeProcessNetworkSnapshot() {
  return ProcessNetworkSnapshot{{ProcessNetworkEntry{4100, "browser", 90000, 12000, 4000000, 500000}}};
}

DiskScanResult fakeDiskScanResult() {
  return DiskScanResult{{DiskItem{"/home/user/Videos", 40000000000ull, true}},
                        {DiskItem{"/home/user/Videos/film.mkv", 8000000000ull, false}},
                        48210,
                        96000000000ull,
                        0,
                        true};
}

DiskScanProgress fakeScanProgress() { return DiskScanProgress{48210, 96000000000ull, "~/Library/Caches", 0.35}; }

Result<DiskScanResult, ScanError> FakeDiskScanner::scan(const std::string&, const ProgressHandler& onProgress,
                                                        std::stop_token stop) {
  if (onProgress) onProgress(fakeScanProgress());
  if (stop.stop_requested()) return Failure{ScanError::cancelled()};
  return box.read();
}

}  // namespace kovra
