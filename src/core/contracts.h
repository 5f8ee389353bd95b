#pragma once
// What every sampler offers: one abstract interface per reading kind. A sampler keeps its own
// state between calls and is called from one serial queue at a time.

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/records.h"
#include "core/sensor_records.h"
#include "core/sampler_error.h"

namespace kovra {

// A sampler of one reading kind: each call reads once and hands back the reading or why there
// is none.
template <class Reading>
class Sampling {
 public:
  virtual ~Sampling() = default;
  virtual SampleResult<Reading> sample() = 0;
};

using MemorySampling = Sampling<MemorySnapshot>;
using CPUSampling = Sampling<CPUSnapshot>;
using NetworkSampling = Sampling<NetworkSnapshot>;
using DiskSampling = Sampling<DiskSnapshot>;
using ProcessSampling = Sampling<ProcessListSnapshot>;
// Absent on a machine without a battery.
using BatterySampling = Sampling<std::optional<BatterySnapshot>>;
using ProcessNetworkSampling = Sampling<ProcessNetworkSnapshot>;
// Absent on a machine without temperature or fan sensors.
using SensorsSampling = Sampling<std::optional<SensorsSnapshot>>;

class AppTerminating {
 public:
  virtual ~AppTerminating() = default;
  virtual TerminateOutcome terminate(const AppUsage& app, bool force) = 0;
};

// Why a scan ended without a result.
struct ScanError {
  enum class Kind { cancelled, failed };
  Kind kind = Kind::failed;
  std::string message;  // the failure text; empty when cancelled

  static ScanError cancelled() { return {Kind::cancelled, {}}; }
  static ScanError failed(std::string m) { return {Kind::failed, std::move(m)}; }
  bool isCancelled() const { return kind == Kind::cancelled; }
  bool operator==(const ScanError&) const = default;
};

class DiskScanning {
 public:
  using ProgressHandler = std::function<void(const DiskScanProgress&)>;
  virtual ~DiskScanning() = default;
  // Runs on the caller's thread until done; `stop` cancels it. `onProgress` may be called from
  // any thread the scanner uses.
  virtual Result<DiskScanResult, ScanError> scan(const std::string& root, const ProgressHandler& onProgress,
                                                 std::stop_token stop) = 0;
  virtual bool hasFullDiskAccess() = 0;
};

}  // namespace kovra
