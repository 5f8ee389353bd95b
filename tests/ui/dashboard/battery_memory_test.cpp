#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include "core/format.h"
#include "dashboard_fixture.h"
#include "ui/common/colors.h"
#include "ui/dashboard/battery_strip_view.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/memory_bar_view.h"
#include "ui/pages/card_table.h"

namespace kovra::ui {
namespace {

BatterySnapshot battery(double charge) {
  BatterySnapshot b;
  b.chargeFraction = charge;
  return b;
}

TEST(BatteryStrip, SymbolStepsAtEighthsAndBoltWhileCharging) {
  BatteryStripView strip(ArayuzCardSize::full);
  strip.setBattery(battery(0.874));
  EXPECT_EQ(strip.symbolName(), "battery.75");
  strip.setBattery(battery(0.875));
  EXPECT_EQ(strip.symbolName(), "battery.100");
  strip.setBattery(battery(0.1249));
  EXPECT_EQ(strip.symbolName(), "battery.0");
  auto charging = battery(0.3);
  charging.isPluggedIn = true;
  charging.isCharging = true;
  strip.setBattery(charging);
  EXPECT_EQ(strip.symbolName(), "battery.100.bolt");
  EXPECT_EQ(strip.statusLabel()->text(), QStringLiteral("Şarj oluyor"));
  EXPECT_EQ(strip.chargeLabel()->text(), QStringLiteral("%30"));
}

TEST(BatteryStrip, PowerLineOnlyFromHalfAWatt) {
  BatteryStripView strip(ArayuzCardSize::full);
  auto b = battery(0.5);
  b.batteryPowerWatts = -0.4;
  strip.setBattery(b);
  EXPECT_TRUE(strip.powerLabel()->isHidden());
  EXPECT_FALSE(strip.toolTip().contains(QStringLiteral("çıkıyor")));
  b.batteryPowerWatts = -0.5;
  strip.setBattery(b);
  EXPECT_FALSE(strip.powerLabel()->isHidden());
  EXPECT_TRUE(strip.powerLabel()->text().startsWith(QStringLiteral("Pilden ")));
  EXPECT_TRUE(strip.powerLabel()->text().endsWith(QStringLiteral(" W çıkıyor")));
  EXPECT_TRUE(strip.toolTip().contains(strip.powerLabel()->text()));
  EXPECT_TRUE(strip.toolTip().startsWith(QStringLiteral("Pil %50")));
}

using testing::DashboardFixture;

TEST_F(DashboardFixture, BatteryStripAbsentWithoutAReading) {
  DashboardView view(*store, *model, cardTable(), ArayuzCardSize::compact);
  feed();
  EXPECT_FALSE(view.batteryStrip()->isVisibleTo(&view));
  advance(11);
  feed(0.5, 0.25, battery(0.6));
  EXPECT_TRUE(view.batteryStrip()->isVisibleTo(&view));
  EXPECT_EQ(view.batteryStrip()->symbolName(), "battery.50");
  advance(11);
  feed(0.5, 0.25, std::nullopt);
  EXPECT_FALSE(view.batteryStrip()->isVisibleTo(&view));
}

QColor pixelAt(QWidget& w, int x, int y) {
  QImage image(w.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  w.render(&image);
  return QColor(image.pixel(x, y));
}

TEST(MemoryBar, PartsAboveTheTotalLeaveNoFreeSlice) {
  MemoryBarView view(false, 10);
  view.setPalette(QPalette(Qt::black, Qt::white));
  view.resize(200, 10);
  const uint64_t gb = 1ull << 30;
  MemorySnapshot m{8 * gb, 5 * gb, 2 * gb, 1 * gb, 2 * gb, std::nullopt, std::nullopt};
  view.setMemory(m);
  // apps 6 + system 2 fill the bar; cache 2 would run past its end and is cut off.
  EXPECT_EQ(pixelAt(view, 199, 5), paletteColor(ArayuzPalette::memorySystem, view.palette()));
  EXPECT_TRUE(view.bar()->accessibleDescription().endsWith(QStringLiteral(", Boş ") +
                                                           QString::fromStdString(Format::memoryText(0))));

  // Below the total the free slice shows at the end, in the translucent free colour.
  m.appBytes = 1 * gb;
  m.compressedBytes = 0;
  view.setMemory(m);
  EXPECT_EQ(pixelAt(view, 199, 5), QColor(214, 214, 214));  // black at 16 % over white
  EXPECT_EQ(pixelAt(view, 2, 5), paletteColor(ArayuzPalette::memoryApps, view.palette()));

  view.setMemory(std::nullopt);
  EXPECT_EQ(view.bar()->accessibleDescription(), QStringLiteral("Uygulamalar —, Sistem —, Önbellek —, Boş —"));
}

}  // namespace
}  // namespace kovra::ui
