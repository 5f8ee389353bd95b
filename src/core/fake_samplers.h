#pragma once
// Simulated samplers: each returns a stored value (or error) instead of reading the system.
// Tests set `box.result` under `box.lock` and read `box.calls` to see how often they were read.

#include <cstdint>
#include <mutex>

#include "core/contracts.h"
#include "core/sensors_sampling.h"

namespace kovra {

template <class T, class E = SamplerError>
struct FakeBox {
  std::mutex lock;
  Result<T, E> result;
  int64_t calls = 0;

  explicit FakeBox(Result<T, E> initial) : result(std::move(initial)) {}

  Result<T, E> read() {
    std::lock_guard guard(lock);
    ++calls;
    return result;
  }
  void set(Result<T, E> r) {
    std::lock_guard guard(lock);
    result = std::move(r);
  }
  int64_t callCount() {
    std::lock_guard guard(lock);
    return calls;
  }
};

// Plausible fixed readings for the no-argument constructors.
MemorySnapshot fakeMemorySnapshot();
CPUSnapshot fakeCPUSnapshot();
NetworkSnapshot fakeNetworkSnapshot();
DiskSnapshot fakeDiskSnapshot();
ProcessListSnapshot fakeProcessListSnapshot();
BatterySnapshot fakeBatterySnapshot();
ProcessNetworkSnapshot fakeProcessNetworkSnapshot();
DiskScanResult fakeDiskScanResult();

template <class Contract, class T, T (*Default)()>
class FakeSampler : public Contract {
 public:
  FakeSampler() : box(Default()) {}
  explicit FakeSampler(T value) : box(std::move(value)) {}
  SampleResult<T> sample() override { return box.read(); }
  FakeBox<T> box;
};

using FakeMemorySampler = FakeSampler<MemorySampling, MemorySnapshot, fakeMemorySnapshot>;
using FakeCPUSampler = FakeSampler<CPUSampling, CPUSnapshot, fakeCPUSnapshot>;
using FakeNetworkSampler = FakeSampler<NetworkSampling, NetworkSnapshot, fakeNetworkSnapshot>;
using FakeDiskSampler = FakeSampler<DiskSampling, DiskSnapshot, fakeDiskSnapshot>;
using FakeProcessSampler = FakeSampler<ProcessSampling, ProcessListSnapshot, fakeProcessListSnapshot>;
using FakeProcessNetworkSampler =
    FakeSampler<ProcessNetworkSampling, ProcessNetworkSnapshot, fakeProcessNetworkSnapshot>;

// A machine without sensors unless given a reading.
class FakeSensorsSampler : public SensorsSampling {
 public:
  FakeSensorsSampler() : box(std::optional<SensorsSnapshot>{}) {}
  explicit FakeSensorsSampler(std::optional<SensorsSnapshot> value) : box(std::move(value)) {}
  SampleResult<std::optional<SensorsSnapshot>> sample() override { return box.read(); }
  FakeBox<std::optional<SensorsSnapshot>> box;
};

class FakeBatterySampler : public BatterySampling {
 public:
  FakeBatterySampler() : box(std::optional<BatterySnapshot>(fakeBatterySnapshot())) {}
  explicit FakeBatterySampler(std::optional<BatterySnapshot> value) : box(std::move(value)) {}
  SampleResult<std::optional<BatterySnapshot>> sample() override { return box.read(); }
  FakeBox<std::optional<BatterySnapshot>> box;
};

class FakeAppTerminator : public AppTerminating {
 public:
  FakeAppTerminator() : outcome(TerminateOutcome::requested) {}
  // A stored error yields `failed`.
  TerminateOutcome terminate(const AppUsage&, bool) override {
    auto r = outcome.read();
    return r.ok() ? r.value() : TerminateOutcome::failed;
  }
  FakeBox<TerminateOutcome> outcome;
};

class FakeDiskScanner : public DiskScanning {
 public:
  FakeDiskScanner() : box(fakeDiskScanResult()), fullDiskAccess(true) {}
  explicit FakeDiskScanner(DiskScanResult r) : box(std::move(r)), fullDiskAccess(true) {}

  // Reports one progress record, then checks for cancellation, then returns the stored result.
  Result<DiskScanResult, ScanError> scan(const std::string& root, const ProgressHandler& onProgress,
                                         std::stop_token stop) override;
  bool hasFullDiskAccess() override {
    auto r = fullDiskAccess.read();
    return r.ok() && r.value();
  }

  FakeBox<DiskScanResult, ScanError> box;
  FakeBox<bool, ScanError> fullDiskAccess;
};

// The progress record the simulated scanner reports before it answers.
DiskScanProgress fakeScanProgress();

}  // namespace kovra
