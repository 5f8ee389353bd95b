#pragma once
// The readings every sampler produces and every layer shares: plain values, compared field by
// field (a NaN is unequal to everything, as double comparison gives).

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// A point on the wall clock.
using Date = std::chrono::system_clock::time_point;

// ---- enums with raw values -------------------------------------------------------------------

enum class MemoryPressure : int { normal = 1, warning = 2, critical = 4 };
inline constexpr std::array<MemoryPressure, 3> kAllMemoryPressures{MemoryPressure::normal, MemoryPressure::warning,
                                                                   MemoryPressure::critical};
inline int rawValue(MemoryPressure p) { return static_cast<int>(p); }
std::optional<MemoryPressure> memoryPressureFromRaw(long long raw);

enum class ConnectionKind { wifi, ethernet, other, none };
std::string_view rawValue(ConnectionKind k);
std::optional<ConnectionKind> connectionKindFromRaw(std::string_view raw);

enum class AppGroupKind { app, system };
std::string_view rawValue(AppGroupKind k);
std::optional<AppGroupKind> appGroupKindFromRaw(std::string_view raw);

enum class Severity : int { neutral = 0, ok = 1, warning = 2, critical = 3 };
inline int rawValue(Severity s) { return static_cast<int>(s); }
std::optional<Severity> severityFromRaw(long long raw);
// Severities order by raw value; the built-in enum comparisons already do exactly that.

// `sensors` shows only on machines that have sensors.
enum class CardKind { memory, network, disk, cpu, sensors };
inline constexpr std::array<CardKind, 5> kAllCardKinds{CardKind::memory, CardKind::network, CardKind::disk,
                                                       CardKind::cpu, CardKind::sensors};
std::string_view rawValue(CardKind k);
std::optional<CardKind> cardKindFromRaw(std::string_view raw);

enum class SeriesKind { memoryUsed, cpuUsage, networkDownload, networkUpload };
inline constexpr std::array<SeriesKind, 4> kAllSeriesKinds{SeriesKind::memoryUsed, SeriesKind::cpuUsage,
                                                           SeriesKind::networkDownload, SeriesKind::networkUpload};
std::string_view rawValue(SeriesKind k);
std::optional<SeriesKind> seriesKindFromRaw(std::string_view raw);

// The answer to a quit or force-quit request.
enum class TerminateOutcome { requested, notRunning, notAllowed, failed };

// ---- memory ------------------------------------------------------------------------------------

struct SwapUsage {
  uint64_t totalBytes = 0;
  uint64_t usedBytes = 0;
  bool operator==(const SwapUsage&) const = default;
};

struct MemorySnapshot {
  uint64_t totalBytes = 0;
  uint64_t appBytes = 0;
  uint64_t wiredBytes = 0;
  uint64_t compressedBytes = 0;
  uint64_t cachedBytes = 0;
  std::optional<MemoryPressure> pressure;
  std::optional<SwapUsage> swap;

  // app + wired + compressed, saturating.
  uint64_t usedBytes() const;
  // used ÷ total; 0 when the total is 0.
  double usedFraction() const;
  bool operator==(const MemorySnapshot&) const = default;
};

// ---- processor ---------------------------------------------------------------------------------

struct CPUSnapshot {
  double usage = 0;
  double userFraction = 0;
  double systemFraction = 0;
  int64_t coreCount = 0;
  bool operator==(const CPUSnapshot&) const = default;
};

// ---- network -----------------------------------------------------------------------------------

struct NetworkSnapshot {
  double downloadBytesPerSecond = 0;
  double uploadBytesPerSecond = 0;
  uint64_t totalDownloadedBytes = 0;
  uint64_t totalUploadedBytes = 0;
  ConnectionKind connection = ConnectionKind::none;
  std::optional<std::string> interfaceName;
  std::optional<std::string> localIP;
  bool operator==(const NetworkSnapshot&) const = default;
};

struct NetworkRates {
  double downloadBytesPerSecond = 0;
  double uploadBytesPerSecond = 0;
  bool operator==(const NetworkRates&) const = default;
};

// ---- disk and battery --------------------------------------------------------------------------

struct DiskSnapshot {
  uint64_t totalBytes = 0;
  uint64_t availableBytes = 0;
  std::optional<std::string> volumeName;

  // available ÷ total; none when the total is 0.
  std::optional<double> freeFraction() const;
  bool operator==(const DiskSnapshot&) const = default;
};

struct BatterySnapshot {
  double chargeFraction = 0;
  bool isPluggedIn = false;
  bool isCharging = false;
  bool isFullyCharged = false;
  std::optional<double> batteryPowerWatts;
  std::optional<double> adapterInputWatts;
  std::optional<int64_t> adapterRatedWatts;
  std::optional<int64_t> timeRemainingMinutes;
  std::optional<int64_t> cycleCount;
  bool operator==(const BatterySnapshot&) const = default;
};

// ---- processes and apps ------------------------------------------------------------------------

struct ProcessEntry {
  int32_t pid = 0;
  std::string name;
  uint64_t footprintBytes = 0;
  std::optional<double> cpuFraction;
  bool operator==(const ProcessEntry&) const = default;
};

struct AppUsage {
  std::string id;
  std::string name;
  AppGroupKind kind = AppGroupKind::system;
  std::optional<std::string> bundlePath;
  std::optional<std::string> bundleIdentifier;
  uint64_t footprintBytes = 0;
  std::optional<double> cpuFraction;
  std::vector<ProcessEntry> processes;
  bool canTerminate = false;
  bool operator==(const AppUsage&) const = default;
};

struct ProcessListSnapshot {
  std::vector<AppUsage> apps;
  int64_t unreadableCount = 0;

  // Apps with a processor share, largest first (stable), at most `limit` of them.
  std::vector<AppUsage> topByCPU(size_t limit) const;
  // The first app in `apps` order that may be quit, if any.
  std::optional<AppUsage> topTerminableApp() const;
  bool operator==(const ProcessListSnapshot&) const = default;
};

struct ProcessNetworkEntry {
  int32_t pid = 0;
  std::string name;
  double downloadBytesPerSecond = 0;
  double uploadBytesPerSecond = 0;
  uint64_t totalDownloadedBytes = 0;
  uint64_t totalUploadedBytes = 0;
  bool operator==(const ProcessNetworkEntry&) const = default;
};

struct ProcessNetworkSnapshot {
  std::vector<ProcessNetworkEntry> entries;
  bool operator==(const ProcessNetworkSnapshot&) const = default;
};

struct AppNetworkUsage {
  std::string id;
  std::string name;
  AppGroupKind kind = AppGroupKind::system;
  std::optional<std::string> bundlePath;
  double downloadBytesPerSecond = 0;
  double uploadBytesPerSecond = 0;
  uint64_t totalDownloadedBytes = 0;
  uint64_t totalUploadedBytes = 0;
  bool operator==(const AppNetworkUsage&) const = default;
};

// ---- disk scan ---------------------------------------------------------------------------------

struct DiskItem {
  std::string url;  // the item's path, byte-exact as the file system gave it
  uint64_t sizeBytes = 0;
  bool isDirectory = false;
  bool operator==(const DiskItem&) const = default;
};

struct DiskScanResult {
  std::vector<DiskItem> largestFolders;
  std::vector<DiskItem> largestFiles;
  int64_t scannedFileCount = 0;
  uint64_t scannedBytes = 0;
  int64_t skippedCount = 0;
  bool hadFullDiskAccess = false;
  bool operator==(const DiskScanResult&) const = default;
};

struct DiskScanProgress {
  int64_t scannedFileCount = 0;
  uint64_t scannedBytes = 0;
  std::optional<std::string> currentPath;
  std::optional<double> fraction;
  bool operator==(const DiskScanProgress&) const = default;
};

// The scan state the store publishes.
struct DiskScanState {
  enum class Case { idle, scanning, finished, failed, cancelled };

  static DiskScanState idle() { return {Case::idle, {}, {}, {}}; }
  static DiskScanState cancelled() { return {Case::cancelled, {}, {}, {}}; }
  static DiskScanState scanning(DiskScanProgress p) { return {Case::scanning, std::move(p), {}, {}}; }
  static DiskScanState finished(DiskScanResult r) { return {Case::finished, {}, std::move(r), {}}; }
  static DiskScanState failed(std::string message) { return {Case::failed, {}, {}, std::move(message)}; }

  Case kind = Case::idle;
  DiskScanProgress progress;  // scanning only
  DiskScanResult result;      // finished only
  std::string message;        // failed only
  bool operator==(const DiskScanState&) const = default;
};

// ---- verdicts and history ----------------------------------------------------------------------

struct Verdict {
  std::optional<CardKind> card;
  Severity severity = Severity::neutral;
  std::string sentence;
  bool operator==(const Verdict&) const = default;
};

struct HistoryPoint {
  Date time;
  double value = 0;
  bool operator==(const HistoryPoint&) const = default;
};

}  // namespace kovra
