#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/macos/battery_properties.h"

namespace kovra::macos {
namespace {

BatteryDictionary laptop() {
  BatteryDictionary d;
  d.set("CurrentCapacity", 50).set("MaxCapacity", 100).set("ExternalConnected", false);
  d.set("IsCharging", false).set("FullyCharged", false);
  return d;
}

SampleResult<std::optional<BatterySnapshot>> sampleOf(BatteryProperty props) {
  return batterySnapshotFromProperties("BAT0", props);
}

BatterySnapshot snapshotOf(BatteryDictionary d) {
  auto r = sampleOf(std::move(d));
  EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message());
  return r.ok() && r.value() ? *r.value() : BatterySnapshot{};
}

TEST(BatteryPropertiesTest, RemovedBatteryIsAbsentNotAnError) {
  auto removed = sampleOf(laptop().set("BatteryInstalled", false));
  ASSERT_TRUE(removed.ok());
  EXPECT_FALSE(removed.value().has_value());
}

TEST(BatteryPropertiesTest, RequiredValues) {
  EXPECT_EQ(sampleOf(BatteryProperty(int64_t{3})).error().message(), "BAT0: özellikler sözlük değil");
  auto missing = laptop();
  missing.entries.erase(missing.entries.begin());
  EXPECT_EQ(sampleOf(missing).error().message(), "BAT0: CurrentCapacity okunamadı");
  EXPECT_EQ(sampleOf(laptop().set("MaxCapacity", 0)).error().message(), "BAT0: MaxCapacity 0");
  EXPECT_EQ(sampleOf(laptop().set("MaxCapacity", "100")).error().message(), "BAT0: MaxCapacity okunamadı");
  EXPECT_EQ(sampleOf(laptop().set("IsCharging", BatteryProperty())).error().message(), "BAT0: IsCharging okunamadı");
}

TEST(BatteryPropertiesTest, ChargeFractionIsClamped) {
  EXPECT_DOUBLE_EQ(snapshotOf(laptop().set("CurrentCapacity", 105)).chargeFraction, 1.0);
  EXPECT_DOUBLE_EQ(snapshotOf(laptop().set("CurrentCapacity", -3)).chargeFraction, 0.0);
  EXPECT_DOUBLE_EQ(snapshotOf(laptop()).chargeFraction, 0.5);
}

TEST(BatteryPropertiesTest, PowerPrefersTelemetryAndKeepsTheSign) {
  auto telemetry = laptop().set("PowerTelemetryData", BatteryDictionary{}.set("BatteryPower", -7250));
  EXPECT_EQ(snapshotOf(telemetry.set("Voltage", 12000).set("Amperage", 100)).batteryPowerWatts, -7.25);
  EXPECT_EQ(snapshotOf(laptop().set("Voltage", 12000).set("Amperage", -500)).batteryPowerWatts, -6.0);
  EXPECT_FALSE(snapshotOf(laptop().set("Voltage", 12000)).batteryPowerWatts.has_value());
  // Telemetry that is not a dictionary counts as missing.
  EXPECT_EQ(snapshotOf(laptop().set("PowerTelemetryData", 5).set("Voltage", 1000).set("Amperage", 1000))
                .batteryPowerWatts,
            1.0);
}

TEST(BatteryPropertiesTest, AdapterFiguresOnlyWhilePluggedIn) {
  auto withAdapter = laptop()
                         .set("PowerTelemetryData", BatteryDictionary{}.set("SystemPowerIn", 30500))
                         .set("AdapterDetails", BatteryDictionary{}.set("Watts", 67));
  auto unplugged = snapshotOf(withAdapter);
  EXPECT_FALSE(unplugged.adapterInputWatts.has_value());
  EXPECT_FALSE(unplugged.adapterRatedWatts.has_value());
  auto plugged = snapshotOf(withAdapter.set("ExternalConnected", true));
  EXPECT_TRUE(plugged.isPluggedIn);
  EXPECT_EQ(plugged.adapterInputWatts, 30.5);
  EXPECT_EQ(plugged.adapterRatedWatts, 67);
  auto zero = snapshotOf(laptop()
                             .set("ExternalConnected", true)
                             .set("PowerTelemetryData", BatteryDictionary{}.set("SystemPowerIn", 0))
                             .set("AdapterDetails", BatteryDictionary{}.set("Watts", 0)));
  EXPECT_FALSE(zero.adapterInputWatts.has_value());
  EXPECT_FALSE(zero.adapterRatedWatts.has_value());
}

TEST(BatteryPropertiesTest, TimeRemainingAndCycleCountRanges) {
  EXPECT_FALSE(snapshotOf(laptop().set("TimeRemaining", 65535)).timeRemainingMinutes.has_value());
  EXPECT_FALSE(snapshotOf(laptop().set("TimeRemaining", 0)).timeRemainingMinutes.has_value());
  EXPECT_EQ(snapshotOf(laptop().set("TimeRemaining", 95)).timeRemainingMinutes, 95);
  EXPECT_FALSE(snapshotOf(laptop().set("CycleCount", -1)).cycleCount.has_value());
  EXPECT_FALSE(snapshotOf(laptop()).cycleCount.has_value());
  EXPECT_EQ(snapshotOf(laptop().set("CycleCount", 0)).cycleCount, 0);
}

TEST(BatteryPropertiesTest, NumbersAreReadThroughEveryNumberKind) {
  BatteryProperty yes(true), real(2.9), text("1"), nan(std::numeric_limits<double>::quiet_NaN()), huge(1e300);
  EXPECT_EQ(batteryBool(&yes), true);
  EXPECT_EQ(batteryBool(&real), true);
  EXPECT_FALSE(batteryBool(&text).has_value());
  EXPECT_EQ(batteryInt64(&yes), 1);
  EXPECT_EQ(batteryInt64(&real), 2);
  EXPECT_FALSE(batteryInt64(&nan).has_value());  // converting it would be undefined
  EXPECT_EQ(batteryInt64(&huge), std::numeric_limits<int64_t>::max());
  EXPECT_FALSE(batteryInt64(nullptr).has_value());
  // A flag given as an integer counts by its truth value.
  auto s = snapshotOf(laptop().set("IsCharging", 1).set("FullyCharged", 0.0));
  EXPECT_TRUE(s.isCharging);
  EXPECT_FALSE(s.isFullyCharged);
}

}  // namespace
}  // namespace kovra::macos
