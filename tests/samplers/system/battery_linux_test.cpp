// Power-supply folders laid out as the kernel does, read through the Linux platform and the
// battery sampler; every expected figure is worked out by hand from the files.
#include <gtest/gtest.h>

#include <map>

#include "platform/fake/fake_system_platforms.h"
#include "platform/linux/linux_battery.h"
#include "samplers/system/battery_sampler.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using Attributes = std::map<std::string, std::string>;

void supply(const testing::TempDir& root, const std::string& name, const Attributes& attributes) {
  for (const auto& [k, v] : attributes) root.write(name + "/" + k, v + "\n");
}

SampleResult<std::optional<BatterySnapshot>> sample(const testing::TempDir& root) {
  return BatterySampler(std::make_unique<LinuxBatteryPlatform>(root.path())).sample();
}

BatterySnapshot snapshot(const testing::TempDir& root) {
  auto r = sample(root);
  EXPECT_TRUE(r.ok() && r.value()) << (r.ok() ? "no battery" : r.error().message());
  return r.ok() && r.value() ? *r.value() : BatterySnapshot{};
}

TEST(BatteryLinuxTest, LaptopChargingFromUsbWithChargeUnits) {
  testing::TempDir root;
  supply(root, "ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
  supply(root, "BAT1", {{"type", "Battery"}, {"status", "Charging"}, {"charge_now", "2000000"},
                        {"charge_full", "4000000"}, {"voltage_now", "12000000"}, {"current_now", "-2000000"}});
  BatterySnapshot expected;
  expected.chargeFraction = 0.5;
  expected.isPluggedIn = true;
  expected.isCharging = true;
  expected.batteryPowerWatts = 24.0;     // 12 V × 2 A, positive while charging whatever the driver's sign
  expected.timeRemainingMinutes = 60;    // 2 Ah to go at 2 A
  EXPECT_EQ(snapshot(root), expected);
}

TEST(BatteryLinuxTest, FullOnMainsPercentagesAndImplausibleRates) {
  testing::TempDir root;
  supply(root, "ADP1", {{"type", "Mains"}, {"online", "1"}});
  supply(root, "BAT0", {{"type", "Battery"}, {"status", "Full"}, {"capacity", "100"}, {"power_now", "0"}});
  BatterySnapshot full;
  full.chargeFraction = 1.0;  // only a percentage is known
  full.isPluggedIn = true;
  full.isFullyCharged = true;
  full.batteryPowerWatts = 0.0;
  EXPECT_EQ(snapshot(root), full);

  supply(root, "BAT0", {{"status", "Discharging"}, {"energy_now", "1000000"}, {"energy_full", "2000000"},
                        {"power_now", "350000000"}});
  auto wild = snapshot(root);
  EXPECT_EQ(wild.batteryPowerWatts, -350.0);
  EXPECT_FALSE(wild.timeRemainingMinutes.has_value());  // 350 W is not a real rate
}

TEST(BatteryLinuxTest, TwoBatteriesAddUp) {
  testing::TempDir root;
  supply(root, "BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "10000000"},
                        {"energy_full", "20000000"}, {"power_now", "5000000"}});
  supply(root, "BAT1", {{"type", "Battery"}, {"status", "Unknown"}, {"energy_now", "20000000"},
                        {"energy_full", "20000000"}, {"power_now", "0"}, {"cycle_count", "7"}});
  BatterySnapshot expected;
  expected.chargeFraction = 0.75;         // 30 of 40 Wh
  expected.batteryPowerWatts = -5.0;
  expected.timeRemainingMinutes = 360;    // 30 Wh at 5 W
  EXPECT_FALSE(snapshot(root).cycleCount.has_value());  // the first battery's: BAT0 has none
  EXPECT_EQ(snapshot(root), expected);
}

TEST(BatteryLinuxTest, NoBatteryRemovedBatteryAndUnreadableFigures) {
  testing::TempDir root;
  supply(root, "AC", {{"type", "Mains"}, {"online", "1"}});
  EXPECT_EQ(sample(root).value(), std::nullopt);
  testing::TempDir none;
  EXPECT_EQ(BatterySampler(std::make_unique<LinuxBatteryPlatform>(none.at("nothing-here"))).sample().value(),
            std::nullopt);

  supply(root, "BAT0", {{"type", "Battery"}, {"present", "0"}});
  EXPECT_EQ(sample(root).value(), std::nullopt);
  supply(root, "BAT0", {{"present", "1"}, {"capacity", "x"}});
  EXPECT_EQ(sample(root).error().message(), root.at("BAT0") + ": CurrentCapacity okunamadı");
  supply(root, "BAT0", {{"energy_now", "5"}, {"energy_full", "0"}});
  EXPECT_EQ(sample(root).error().message(), root.at("BAT0") + ": MaxCapacity 0");
  // Figures no battery gives: the sums hold at the largest value instead of overflowing.
  supply(root, "BAT1", {{"type", "Battery"}, {"capacity", "9223372036854775807"}});
  supply(root, "BAT0", {{"energy_now", "x"}, {"capacity", "9223372036854775807"}});
  EXPECT_DOUBLE_EQ(snapshot(root).chargeFraction, 1.0);

  auto fake = std::make_unique<FakeBatteryPlatform>();
  fake->result = Failure{std::string("/sys/class/power_supply okunamadı: Permission denied (errno 13)")};
  EXPECT_EQ(BatterySampler(std::move(fake)).sample().error().message(),
            "/sys/class/power_supply okunamadı: Permission denied (errno 13)");
}

}  // namespace
}  // namespace kovra
