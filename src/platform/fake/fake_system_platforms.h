#pragma once
// Scripted platform layers for the system samplers' tests: each answers from values the test set.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/battery_platform.h"
#include "platform/cpu_platform.h"
#include "platform/disk_volume_platform.h"
#include "platform/memory_platform.h"

namespace kovra {

// Answers readProcessorTimes from a queue; the last answer repeats once the queue is down to one.
class FakeCPUPlatform : public CPUPlatform {
 public:
  FakeCPUPlatform& push(std::vector<ProcessorTimes> times);
  FakeCPUPlatform& pushFailure(std::string text);

  Result<size_t, std::string> readProcessorTimes(std::vector<ProcessorTimes>& times) override;
  int calls = 0;

 private:
  std::deque<Result<std::vector<ProcessorTimes>, std::string>> answers_;
};

class FakeMemoryPlatform : public MemoryPlatform {
 public:
  Result<MemoryFigures, std::string> figuresResult = MemoryFigures{uint64_t{16} << 30, 0, 0, 0, 0};
  Result<MemoryPressure, std::string> pressureResult = MemoryPressure::normal;
  Result<SwapUsage, std::string> swapResult = SwapUsage{};
  int figuresCalls = 0;

  Result<MemoryFigures, std::string> figures() override {
    ++figuresCalls;
    return figuresResult;
  }
  Result<MemoryPressure, std::string> pressure() override { return pressureResult; }
  Result<SwapUsage, std::string> swapUsage() override { return swapResult; }
};

class FakeDiskVolumePlatform : public DiskVolumePlatform {
 public:
  Result<VolumeValues, std::string> result = VolumeValues{};
  Result<VolumeValues, std::string> readHomeVolume() override { return result; }
};

class FakeBatteryPlatform : public BatteryPlatform {
 public:
  Result<std::optional<PowerSupplies>, std::string> result = std::optional<PowerSupplies>{};
  Result<std::optional<PowerSupplies>, std::string> readBattery() override { return result; }
};

}  // namespace kovra
