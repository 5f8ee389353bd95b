// A laptop's /proc and /sys as small files under tests/fixtures/laptop, read through the Linux
// platform and the samplers into the snapshots the store keeps. Every expected figure is worked
// out by hand from those files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/linux_battery.h"
#include "platform/linux/linux_cpu_platform.h"
#include "platform/linux/linux_memory_platform.h"
#include "samplers/system/battery_sampler.h"
#include "samplers/system/cpu_sampler.h"
#include "samplers/system/memory_sampler.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

const std::string kRoot = KOVRA_FIXTURES "/laptop";

TEST(LaptopFixtureTest, MemoryFromMeminfoZramAndPressure) {
  MemorySampler sampler(std::make_unique<LinuxMemoryPlatform>(
      LinuxMemoryPlatform::Paths{kRoot + "/proc/meminfo", kRoot + "/proc/pressure/memory", kRoot + "/sys/block"},
      [] { return 100.0; }));
  auto s = sampler.sample();
  ASSERT_TRUE(s.ok()) << s.error().message();
  constexpr uint64_t kB = 1024;
  MemorySnapshot expected;
  expected.totalBytes = 16000000 * kB;
  expected.appBytes = (3500000 + 300000) * kB;                    // AnonPages + Shmem
  expected.cachedBytes = (200000 + (5000000 - 300000) + 400000) * kB;  // Buffers + Cached − Shmem + SReclaimable
  expected.compressedBytes = 100000 * kB + 204800000;             // Zswap + zram0's mem_used_total
  // MemTotal − MemFree − app − cached − compressed.
  expected.wiredBytes = (16000000 - 4000000 - 3800000 - 5300000 - 100000) * kB - 204800000;
  expected.pressure = MemoryPressure::normal;                    // no stalls, 56 % available
  expected.swap = SwapUsage{2000000 * kB, 500000 * kB};
  EXPECT_EQ(*s, expected);
  EXPECT_EQ(s->wiredBytes, 2662400000u);
  // Every figure is a whole number of 4 KiB pages, so reading them as page counts gave these too.
  for (uint64_t v : {s->appBytes, s->cachedBytes, s->compressedBytes, s->wiredBytes}) EXPECT_EQ(v % 4096, 0u);
}

TEST(LaptopFixtureTest, ProcessorLoadFromTwoReadingsOfStat) {
  testing::TempDir dir;
  const std::string stat = dir.at("stat");
  std::filesystem::copy_file(kRoot + "/proc/stat", stat);
  CPUSampler sampler(std::make_unique<LinuxCPUPlatform>(stat));
  ASSERT_TRUE(sampler.sample().error().isNotReady());
  std::filesystem::copy_file(kRoot + "/proc/stat.later", stat, std::filesystem::copy_options::overwrite_existing);
  auto s = sampler.sample();
  ASSERT_TRUE(s.ok()) << s.error().message();
  // cpu0: user 300, nice 50, system 100 + irq 10 + softirq 10, idle 500 + iowait 50 + steal 30.
  // cpu1: user 400, system 100 + softirq 20, idle 400 with iowait 20 back = 380.
  // Sum: user 700, nice 50, system 240, idle 960 → 1,950 ticks.
  EXPECT_DOUBLE_EQ(s->usage, 990.0 / 1950.0);
  EXPECT_DOUBLE_EQ(s->userFraction, 750.0 / 1950.0);
  EXPECT_DOUBLE_EQ(s->systemFraction, 240.0 / 1950.0);
  EXPECT_EQ(s->coreCount, 2);
}

TEST(LaptopFixtureTest, BatteryFromThePowerSupplyClass) {
  BatterySampler sampler(std::make_unique<LinuxBatteryPlatform>(kRoot + "/sys/class/power_supply"));
  auto s = sampler.sample();
  ASSERT_TRUE(s.ok() && s.value()) << (s.ok() ? "no battery" : s.error().message());
  BatterySnapshot expected;
  expected.chargeFraction = 0.8;             // 40 of 50 Wh
  expected.batteryPowerWatts = -10.0;        // power_now, discharging
  expected.timeRemainingMinutes = 240;       // 40 Wh at 10 W
  expected.cycleCount = 120;
  // AC is offline: not plugged in; the charging mouse battery (scope Device) does not count.
  EXPECT_EQ(*s.value(), expected);
}

}  // namespace
}  // namespace kovra
