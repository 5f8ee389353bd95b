#include <gtest/gtest.h>

#include <cmath>

#include "present/menu_bar_content.h"
#include "present/menu_bar_renderer.h"

namespace kovra {
namespace {

const std::string kDash = "\u2014";
const std::string kDown = "\u2193\u2009";
const std::string kUp = "\u2191\u2009";

ArayuzMenuBarContent networkOnly(double down, double up, RateUnit unit = RateUnit::bytes) {
  return makeMenuBarContent({true, false, unit, NetworkRates{down, up}, std::nullopt, false, std::nullopt});
}

TEST(MenuBarText, RatesUnderOneMegabyteMoveInFiftyKilobyteSteps) {
  EXPECT_EQ(menuBarRateText(24'999, RateUnit::bytes), "0 KB/s");
  EXPECT_EQ(menuBarRateText(25'000, RateUnit::bytes), "50 KB/s");
  EXPECT_EQ(menuBarRateText(974'999, RateUnit::bytes), "950 KB/s");
  EXPECT_EQ(menuBarRateText(999'999, RateUnit::bytes), "1,0 MB/s");
  EXPECT_EQ(menuBarRateText(1'234'567, RateUnit::bytes), "1,2 MB/s");
  EXPECT_EQ(menuBarRateText(-5, RateUnit::bytes), "0 KB/s");
  EXPECT_EQ(menuBarRateText(NAN, RateUnit::bytes), kDash);
  EXPECT_EQ(menuBarRateText(INFINITY, RateUnit::bytes), kDash);
  EXPECT_EQ(menuBarRateText(50'000, RateUnit::bits), "400 Kbps");
  EXPECT_EQ(menuBarRateText(2'000'000, RateUnit::bits), "16,0 Mbps");
}

TEST(MenuBarText, ContentFollowsSettingsAndReadings) {
  auto none = makeMenuBarContent({true, true, RateUnit::bytes, std::nullopt, std::nullopt, false, std::nullopt});
  EXPECT_EQ(none.down, kDash);
  EXPECT_EQ(none.up, kDash);
  EXPECT_EQ(none.ram, kDash);

  MemorySnapshot empty;  // total 0
  EXPECT_EQ(makeMenuBarContent({false, true, RateUnit::bytes, std::nullopt, empty, false, std::nullopt}).ram, "%0");
  MemorySnapshot m{1000, 400, 200, 30, 100, std::nullopt, std::nullopt};
  auto mem = makeMenuBarContent({false, true, RateUnit::bits, NetworkRates{1, 1}, m, false, std::nullopt});
  EXPECT_EQ(mem.ram, "%63");
  EXPECT_FALSE(mem.down);
  EXPECT_FALSE(mem.up);
  EXPECT_EQ(mem.unit, RateUnit::bits);

  auto off = makeMenuBarContent({false, false, RateUnit::bytes, NetworkRates{1, 1}, m, false, std::nullopt});
  EXPECT_FALSE(off.down || off.up || off.ram);
}

TEST(MenuBarText, AccessibilityText) {
  ArayuzMenuBarContent both{"0 KB/s", "50 KB/s", "%63", RateUnit::bytes, std::nullopt};
  EXPECT_EQ(menuBarAccessibilityText(both), "İndirme 0 KB/s, yükleme 50 KB/s, Bellek kullanımı %63");
  EXPECT_EQ(menuBarAccessibilityText({std::nullopt, std::nullopt, "%5", RateUnit::bytes, std::nullopt}), "Bellek kullanımı %5");
  EXPECT_EQ(menuBarAccessibilityText({"1 KB/s", "2 KB/s", std::nullopt, RateUnit::bytes, std::nullopt}),
            "İndirme 1 KB/s, yükleme 2 KB/s");
}

// With 13 pt and 0.6 em per code point every character is 7.8 points wide.
class MenuBarLayoutTest : public ::testing::Test {
 protected:
  ArayuzFixedWidthMeasurer measurer{13, 0.6};
  static double slot(size_t codePoints) { return std::ceil(static_cast<double>(codePoints) * 7.8); }
};

TEST_F(MenuBarLayoutTest, BaseLayoutFitsTheWidestSampleOfEachClass) {
  auto bytes = ArayuzMenuBarRenderer::baseLayout(measurer, true, false, RateUnit::bytes, 13);
  EXPECT_DOUBLE_EQ(bytes.rateWidth, slot(2 + 10));  // "↓ 999,9 MB/s"
  EXPECT_DOUBLE_EQ(bytes.percentWidth, slot(8));     // "RAM %100", measured although memory is off
  EXPECT_FALSE(bytes.showsMemory);
  auto bits = ArayuzMenuBarRenderer::baseLayout(measurer, true, true, RateUnit::bits, 13);
  EXPECT_DOUBLE_EQ(bits.rateWidth, slot(2 + 10));  // "↓ 799,6 Mbps"

  // No rates yet: the dashes sit in slots as wide as the widest sample.
  auto dashes = makeMenuBarContent({true, false, RateUnit::bytes, std::nullopt, std::nullopt, false, std::nullopt});
  auto layout = resolveMenuBarLayout(std::nullopt, dashes, measurer);
  EXPECT_DOUBLE_EQ(layout.rateWidth, bytes.rateWidth);
}

TEST_F(MenuBarLayoutTest, SlotsGrowAndNeverShrinkWhileSettingsAndFontHold) {
  auto base = resolveMenuBarLayout(std::nullopt, networkOnly(0, 0), measurer);
  auto wide = resolveMenuBarLayout(base, networkOnly(1.2345e12, 0), measurer);  // "1.234,5 GB/s"
  EXPECT_DOUBLE_EQ(wide.rateWidth, slot(2 + 12));
  EXPECT_GT(wide.rateWidth, base.rateWidth);
  auto back = resolveMenuBarLayout(wide, networkOnly(0, 0), measurer);
  EXPECT_DOUBLE_EQ(back.rateWidth, wide.rateWidth);

  // A change of unit or font size starts again from the base layout.
  auto bits = resolveMenuBarLayout(back, networkOnly(0, 0, RateUnit::bits), measurer);
  EXPECT_DOUBLE_EQ(bits.rateWidth, base.rateWidth);
  measurer.setMenuBarFontSize(14);
  auto bigger = resolveMenuBarLayout(back, networkOnly(0, 0), measurer);
  EXPECT_DOUBLE_EQ(bigger.fontSize, 14);
  EXPECT_DOUBLE_EQ(bigger.rateWidth, std::ceil(12 * 0.6 * 14));
  // Switching memory on too is another layout.
  auto withMemory = makeMenuBarContent({true, true, RateUnit::bytes, NetworkRates{0, 0}, std::nullopt, false, std::nullopt});
  measurer.setMenuBarFontSize(13);
  EXPECT_DOUBLE_EQ(resolveMenuBarLayout(wide, withMemory, measurer).rateWidth, base.rateWidth);
}

TEST_F(MenuBarLayoutTest, TemperatureTakesAStableSlotAfterMemory) {
  MemorySnapshot m{1000, 400, 200, 30, 100, std::nullopt, std::nullopt};
  auto cool = makeMenuBarContent({false, true, RateUnit::bytes, std::nullopt, m, true, 9.4});
  EXPECT_EQ(cool.temperature, "9 °C");
  EXPECT_EQ(menuBarAccessibilityText(cool), "Bellek kullanımı %63, İşlemci sıcaklığı 9 °C");
  EXPECT_EQ(makeMenuBarContent({false, false, RateUnit::bytes, std::nullopt, m, true, std::nullopt}).temperature, kDash);
  EXPECT_FALSE(makeMenuBarContent({false, false, RateUnit::bytes, std::nullopt, m, false, 50}).temperature);

  // "100 °C" sets the slot from the start, so 9 and 62 °C sit in the same width.
  auto layout = resolveMenuBarLayout(std::nullopt, cool, measurer);
  EXPECT_TRUE(layout.showsTemperature);
  EXPECT_DOUBLE_EQ(layout.temperatureWidth, slot(6));
  auto hot = makeMenuBarContent({false, true, RateUnit::bytes, std::nullopt, m, true, 62});
  EXPECT_EQ(resolveMenuBarLayout(layout, hot, measurer), layout);
  auto img = ArayuzMenuBarRenderer::image(measurer, hot, layout, "");
  ASSERT_EQ(img.items.size(), 2u);
  EXPECT_EQ(img.items[1], (ArayuzMenuBarItem{"62 °C", slot(8) + 20, slot(6), true}));
}

struct RecordingPainter : ArayuzTextPainter {
  std::vector<std::pair<std::string, ArayuzRect>> drawn;
  void drawText(std::string_view text, ArayuzRect rect, double) override { drawn.emplace_back(text, rect); }
};

TEST_F(MenuBarLayoutTest, ImagePlacesRightAlignedSlotsAGapApart) {
  ArayuzMenuBarContent content{"0 KB/s", "50 KB/s", "%7", RateUnit::bytes, std::nullopt};
  auto layout = resolveMenuBarLayout(std::nullopt, content, measurer);
  EXPECT_DOUBLE_EQ(ArayuzMenuBarRenderer::gap(measurer, 13), 20);  // ceil(ceil(7.8) × 2.5)
  auto img = ArayuzMenuBarRenderer::image(measurer, content, layout, "spoken");
  ASSERT_EQ(img.items.size(), 3u);
  EXPECT_EQ(img.items[0], (ArayuzMenuBarItem{kDown + "0 KB/s", 0, 94, true}));
  EXPECT_EQ(img.items[1], (ArayuzMenuBarItem{kUp + "50 KB/s", 114, 94, true}));
  EXPECT_EQ(img.items[2], (ArayuzMenuBarItem{"RAM %7", 228, 63, true}));
  EXPECT_DOUBLE_EQ(img.width, 291);
  EXPECT_DOUBLE_EQ(img.height, 16);  // ceil(12.35 + 3.25)
  EXPECT_TRUE(img.isTemplate);
  EXPECT_EQ(img.accessibilityDescription, "spoken");

  RecordingPainter painter;
  img.draw(measurer, painter);
  ASSERT_EQ(painter.drawn.size(), 3u);
  EXPECT_NEAR(painter.drawn[0].second.x, 94 - 8 * 7.8, 1e-9);
  EXPECT_DOUBLE_EQ(painter.drawn[0].second.width, 64);
  EXPECT_DOUBLE_EQ(painter.drawn[2].second.height, 16);

  // Memory only: one slot from x 0.
  ArayuzMenuBarContent ram{std::nullopt, std::nullopt, "%7", RateUnit::bytes, std::nullopt};
  auto single = ArayuzMenuBarRenderer::image(measurer, ram, resolveMenuBarLayout(std::nullopt, ram, measurer), "");
  ASSERT_EQ(single.items.size(), 1u);
  EXPECT_DOUBLE_EQ(single.items[0].x, 0);
  EXPECT_DOUBLE_EQ(single.width, 63);
}

}  // namespace
}  // namespace kovra
