#include <gtest/gtest.h>

#include <cmath>

#include "present/battery_text.h"
#include "present/overrides.h"

namespace kovra {
namespace {

using namespace ArayuzBatteryText;

BatterySnapshot onBattery(double charge) {
  BatterySnapshot b;
  b.chargeFraction = charge;
  return b;
}

TEST(BatteryText, SymbolSteps) {
  EXPECT_EQ(symbol(onBattery(0.874)), "battery.75");
  EXPECT_EQ(symbol(onBattery(0.875)), "battery.100");
  EXPECT_EQ(symbol(onBattery(0.124)), "battery.0");
  EXPECT_EQ(symbol(onBattery(0.125)), "battery.25");
  auto charging = onBattery(0.1);
  charging.isPluggedIn = true;
  charging.isCharging = true;
  EXPECT_EQ(symbol(charging), "battery.100.bolt");
  charging.isPluggedIn = false;  // a charging flag without the adapter is not charging
  EXPECT_EQ(symbol(charging), "battery.0");
}

TEST(BatteryText, Status) {
  auto b = onBattery(0.5);
  EXPECT_EQ(status(b), "Pilden çalışıyor");
  b.timeRemainingMinutes = 135;
  EXPECT_EQ(status(b), "Pilden çalışıyor, 2 sa 15 dk kaldı");
  b.isPluggedIn = true;
  b.isCharging = true;
  EXPECT_EQ(status(b), "Şarj oluyor, dolmasına 2 sa 15 dk var");
  b.timeRemainingMinutes.reset();
  EXPECT_EQ(status(b), "Şarj oluyor");
  b.isCharging = false;
  EXPECT_EQ(status(b), "Adaptör takılı, şarj olmuyor");
  b.isFullyCharged = true;
  EXPECT_EQ(status(b), "Dolu, adaptör takılı");
}

TEST(BatteryText, PowerPartsAndTooltip) {
  auto b = onBattery(0.5);
  b.batteryPowerWatts = -0.4;
  EXPECT_TRUE(powerParts(b).empty());
  b.batteryPowerWatts = -0.5;
  EXPECT_EQ(powerParts(b), (std::vector<std::string>{"Pilden 1 W çıkıyor"}));
  b.batteryPowerWatts = 12.4;
  b.adapterInputWatts = 30;  // on battery: the adapter line is left out
  EXPECT_EQ(powerParts(b), (std::vector<std::string>{"Pile 12 W giriyor"}));
  b.isPluggedIn = true;
  b.adapterRatedWatts = 96;
  EXPECT_EQ(powerParts(b)[0], "Adaptörden 30 W geliyor (96 W adaptör)");
  b.adapterRatedWatts = -1;
  b.adapterInputWatts = NAN;
  EXPECT_EQ(powerParts(b)[0], "Adaptörden \u2014 geliyor (\u2014 adaptör)");

  auto t = onBattery(0.42);
  t.cycleCount = 1234;
  EXPECT_EQ(tooltip(t), "Pil %42\nPilden çalışıyor\nDetay: şarj döngüsü sayısı (cycle count) 1.234");
  t.cycleCount = -3;
  EXPECT_EQ(tooltipLines(t).back(), "Detay: şarj döngüsü sayısı (cycle count) \u2014");
}

TEST(Overrides, ExactTextsOnly) {
  using ArayuzOpenOverride::Target;
  EXPECT_EQ(ArayuzOpenOverride::parseTarget("network"), Target::network);
  EXPECT_EQ(ArayuzOpenOverride::parseTarget("menupanel"), Target::menupanel);
  EXPECT_FALSE(ArayuzOpenOverride::parseTarget("Network"));
  EXPECT_FALSE(ArayuzOpenOverride::parseTarget(""));
  EXPECT_FALSE(ArayuzOpenOverride::parseTarget(nullptr));
  EXPECT_TRUE(ArayuzVisibilityOverride::parse("1"));
  EXPECT_FALSE(ArayuzVisibilityOverride::parse("true"));
  EXPECT_FALSE(ArayuzVisibilityOverride::parse(nullptr));
  EXPECT_TRUE(ArayuzOpenOverride::parseScroll("bottom"));
  EXPECT_FALSE(ArayuzOpenOverride::parseScroll("Bottom"));
}

}  // namespace
}  // namespace kovra
