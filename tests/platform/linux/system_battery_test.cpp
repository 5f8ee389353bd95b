#include <gtest/gtest.h>

#include <map>

#include "platform/linux/linux_battery.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using Attributes = std::map<std::string, std::string>;

void supply(const testing::TempDir& root, const std::string& name, const Attributes& attributes) {
  for (const auto& [k, v] : attributes) root.write(name + "/" + k, v + "\n");
}

const BatteryDictionary& props(const Result<std::optional<BatteryReading>, std::string>& r) {
  static const BatteryDictionary empty;
  if (!r.ok() || !r.value() || r.value()->properties.dictionary() == nullptr) {
    ADD_FAILURE() << "no battery dictionary" << (r.ok() ? "" : ": " + r.error());
    return empty;
  }
  return *r.value()->properties.dictionary();
}

std::optional<int64_t> integer(const BatteryDictionary& d, std::string_view key) {
  const BatteryProperty* p = d.find(key);
  if (p == nullptr) return std::nullopt;
  if (const auto* i = std::get_if<int64_t>(&p->value)) return *i;
  return std::nullopt;
}

std::optional<bool> flag(const BatteryDictionary& d, std::string_view key) {
  const BatteryProperty* p = d.find(key);
  if (p == nullptr) return std::nullopt;
  if (const auto* b = std::get_if<bool>(&p->value)) return *b;
  return std::nullopt;
}

std::optional<int64_t> batteryPower(const BatteryDictionary& d) {
  const BatteryProperty* t = d.find("PowerTelemetryData");
  return t != nullptr && t->dictionary() != nullptr ? integer(*t->dictionary(), "BatteryPower") : std::nullopt;
}

TEST(LinuxBatteryTest, LaptopDischarging) {
  testing::TempDir root;
  supply(root, "AC", {{"type", "Mains"}, {"online", "0"}});
  supply(root, "BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"present", "1"},
                        {"energy_now", "30000000"}, {"energy_full", "60000000"}, {"voltage_now", "12000000"},
                        {"current_now", "604000"}, {"power_now", "7250000"}, {"cycle_count", "42"}});
  supply(root, "hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"status", "Charging"}});
  LinuxBatteryPlatform platform(root.path());
  auto r = platform.readBattery();
  const auto& d = props(r);
  EXPECT_EQ(r.value()->source, root.at("BAT0"));
  EXPECT_EQ(integer(d, "CurrentCapacity"), 30000000);
  EXPECT_EQ(integer(d, "MaxCapacity"), 60000000);
  EXPECT_EQ(flag(d, "ExternalConnected"), false);
  EXPECT_EQ(flag(d, "IsCharging"), false);  // the mouse's battery does not count
  EXPECT_EQ(flag(d, "FullyCharged"), false);
  EXPECT_EQ(integer(d, "Voltage"), 12000);
  EXPECT_EQ(integer(d, "Amperage"), -604);
  EXPECT_EQ(batteryPower(d), -7250);
  EXPECT_EQ(integer(d, "TimeRemaining"), 248);  // 30 Wh at 7.25 W
  EXPECT_EQ(integer(d, "CycleCount"), 42);
}

TEST(LinuxBatteryTest, LaptopChargingFromUsbWithChargeUnits) {
  testing::TempDir root;
  supply(root, "ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
  supply(root, "BAT1", {{"type", "Battery"}, {"status", "Charging"}, {"charge_now", "2000000"},
                        {"charge_full", "4000000"}, {"voltage_now", "12000000"}, {"current_now", "-2000000"}});
  auto r = LinuxBatteryPlatform(root.path()).readBattery();
  const auto& d = props(r);
  EXPECT_EQ(flag(d, "ExternalConnected"), true);
  EXPECT_EQ(flag(d, "IsCharging"), true);
  EXPECT_EQ(integer(d, "CurrentCapacity"), 2000000);
  EXPECT_EQ(integer(d, "Amperage"), 2000);       // positive while charging, whatever the driver's sign
  EXPECT_EQ(batteryPower(d), 24000);             // from voltage × current
  EXPECT_EQ(integer(d, "TimeRemaining"), 60);    // 2 Ah to go at 2 A
}

TEST(LinuxBatteryTest, FullOnMainsAndImplausibleRates) {
  testing::TempDir root;
  supply(root, "ADP1", {{"type", "Mains"}, {"online", "1"}});
  supply(root, "BAT0", {{"type", "Battery"}, {"status", "Full"}, {"capacity", "100"}, {"power_now", "0"}});
  auto full = LinuxBatteryPlatform(root.path()).readBattery();
  const auto& d = props(full);
  EXPECT_EQ(flag(d, "FullyCharged"), true);
  EXPECT_EQ(flag(d, "ExternalConnected"), true);
  EXPECT_EQ(integer(d, "CurrentCapacity"), 100);  // only a percentage is known
  EXPECT_EQ(integer(d, "MaxCapacity"), 100);
  EXPECT_EQ(d.find("TimeRemaining"), nullptr);

  supply(root, "BAT0", {{"status", "Discharging"}, {"energy_now", "1000000"}, {"energy_full", "2000000"},
                        {"power_now", "350000000"}});
  auto wild = LinuxBatteryPlatform(root.path()).readBattery();
  EXPECT_EQ(props(wild).find("TimeRemaining"), nullptr);  // 350 W is not a real rate
}

TEST(LinuxBatteryTest, DesktopWithoutBatteryAndRemovedBattery) {
  testing::TempDir root;
  supply(root, "AC", {{"type", "Mains"}, {"online", "1"}});
  auto none = LinuxBatteryPlatform(root.path()).readBattery();
  ASSERT_TRUE(none.ok());
  EXPECT_FALSE(none.value().has_value());
  auto missing = LinuxBatteryPlatform(root.at("nothing-here")).readBattery();
  ASSERT_TRUE(missing.ok());
  EXPECT_FALSE(missing.value().has_value());

  supply(root, "BAT0", {{"type", "Battery"}, {"present", "0"}});
  auto removed = LinuxBatteryPlatform(root.path()).readBattery();
  EXPECT_EQ(flag(props(removed), "BatteryInstalled"), false);
}

TEST(LinuxBatteryTest, TwoBatteriesAddUp) {
  testing::TempDir root;
  supply(root, "BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "10000000"},
                        {"energy_full", "20000000"}, {"power_now", "5000000"}});
  supply(root, "BAT1", {{"type", "Battery"}, {"status", "Unknown"}, {"energy_now", "20000000"},
                        {"energy_full", "20000000"}, {"power_now", "0"}});
  auto r = LinuxBatteryPlatform(root.path()).readBattery();
  const auto& d = props(r);
  EXPECT_EQ(integer(d, "CurrentCapacity"), 30000000);
  EXPECT_EQ(integer(d, "MaxCapacity"), 40000000);
  EXPECT_EQ(batteryPower(d), -5000);
  EXPECT_EQ(integer(d, "TimeRemaining"), 360);
  EXPECT_EQ(d.find("Voltage"), nullptr);
}

}  // namespace
}  // namespace kovra
