#pragma once
// What every sampler offers: one abstract interface per quantity. A sampler keeps its own state
// between calls and is called from one serial queue at a time.

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/records.h"
#include "core/sampler_error.h"

namespace kovra {

class MemorySampling {
 public:
  virtual ~MemorySampling() = default;
  virtual SampleResult<MemorySnapshot> sample() = 0;
};

class CPUSampling {
 public:
  virtual ~CPUSampling() = default;
  virtual SampleResult<CPUSnapshot> sample() = 0;
};

class NetworkSampling {
 public:
  virtual ~NetworkSampling() = default;
  virtual SampleResult<NetworkSnapshot> sample() = 0;
};

class DiskSampling {
 public:
  virtual ~DiskSampling() = default;
  virtual SampleResult<DiskSnapshot> sample() = 0;
};

class ProcessSampling {
 public:
  virtual ~ProcessSampling() = default;
  virtual SampleResult<ProcessListSnapshot> sample() = 0;
};

// Absent on a machine without a battery.
class BatterySampling {
 public:
  virtual ~BatterySampling() = default;
  virtual SampleResult<std::optional<BatterySnapshot>> sample() = 0;
};

class ProcessNetworkSampling {
 public:
  virtual ~ProcessNetworkSampling() = default;
  virtual SampleResult<ProcessNetworkSnapshot> sample() = 0;
};

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
