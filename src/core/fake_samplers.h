#pragma once
// Simulated samplers: each returns a stored value (or error) instead of reading the system.
// Tests set `box.result` under `box.lock` and read `box.calls` to see how often they were read.

#include <cstdint>
#include <mutex>

#include "core/contracts.h"

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

template <class T, T (*Default)()>
class FakeSampler : public Sampling<T> {
 public:
  FakeSampler() : box(Default()) {}
  explicit FakeSampler(T value) : box(std::move(value)) {}
  SampleResult<T> sample() override { return box.read(); }
  FakeBox<T> box;
};

inline std::optional<BatterySnapshot> fakeBatteryReading() { return fakeBatterySnapshot(); }
// A machine without sensors unless given a reading.
inline std::optional<SensorsSnapshot> noSensors() { return std::nullopt; }

using FakeMemorySampler = FakeSampler<MemorySnapshot, fakeMemorySnapshot>;
using FakeCPUSampler = FakeSampler<CPUSnapshot, fakeCPUSnapshot>;
using FakeNetworkSampler = FakeSampler<NetworkSnapshot, fakeNetworkSnapshot>;
using FakeDiskSampler = FakeSampler<DiskSnapshot, fakeDiskSnapshot>;
using FakeProcessSampler = FakeSampler<ProcessListSnapshot, fakeProcessListSnapshot>;
using FakeProcessNetworkSampler = FakeSampler<ProcessNetworkSnapshot, fakeProcessNetworkSnapshot>;
using FakeBatterySampler = FakeSampler<std::optional<BatterySnapshot>, fakeBatteryReading>;
using FakeSensorsSampler = FakeSampler<std::optional<SensorsSnapshot>, noSensors>;

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
