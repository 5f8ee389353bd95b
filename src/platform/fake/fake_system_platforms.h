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

// Answers readProcessorTicks from a queue; the last answer repeats once the queue is down to one.
class FakeCPUPlatform : public CPUPlatform {
 public:
  struct Answer {
    uint32_t processors = 0;
    std::vector<uint32_t> values;
    std::optional<std::string> failure;
  };
  FakeCPUPlatform& push(uint32_t processors, std::vector<uint32_t> values);
  FakeCPUPlatform& pushFailure(std::string text);

  Result<uint32_t, std::string> readProcessorTicks(std::vector<uint32_t>& values) override;
  std::string_view tickSourceName() const override { return "/proc/stat"; }
  int calls = 0;

 private:
  std::deque<Answer> answers_;
};

class FakeMemoryPlatform : public MemoryPlatform {
 public:
  MemorySourceNames sourceNames{"sysconf(_SC_PAGESIZE)", "/proc/meminfo MemTotal", "/proc/pressure/memory"};
  Result<uint64_t, std::string> pageSizeResult = uint64_t{16384};
  uint64_t physical = uint64_t{16} << 30;
  Result<VMStatistics, std::string> statisticsResult = VMStatistics{};
  Result<int32_t, std::string> pressureResult = int32_t{1};
  Result<SwapUsage, std::string> swapResult = SwapUsage{};
  int pageSizeCalls = 0, physicalCalls = 0, statisticsCalls = 0;

  const MemorySourceNames& names() const override { return sourceNames; }
  Result<uint64_t, std::string> pageSize() override;
  uint64_t physicalMemory() override;
  Result<VMStatistics, std::string> statistics() override;
  Result<int32_t, std::string> pressureLevel() override { return pressureResult; }
  Result<SwapUsage, std::string> swapUsage() override { return swapResult; }
};

class FakeDiskVolumePlatform : public DiskVolumePlatform {
 public:
  Result<VolumeValues, std::string> result = VolumeValues{};
  Result<VolumeValues, std::string> readHomeVolume() override { return result; }
};

class FakeBatteryPlatform : public BatteryPlatform {
 public:
  Result<std::optional<BatteryReading>, std::string> result = std::optional<BatteryReading>{};
  Result<std::optional<BatteryReading>, std::string> readBattery() override { return result; }
};

}  // namespace kovra
