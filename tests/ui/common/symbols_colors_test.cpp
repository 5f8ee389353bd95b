#include <QApplication>
#include <QImage>
#include <QPalette>

#include <gtest/gtest.h>

#include "ui/common/colors.h"
#include "ui/common/symbols.h"

namespace kovra::ui {
namespace {

QImage imageOf(std::string_view name, QColor tint = Qt::black, int px = 24, qreal dpr = 1.0) {
  return symbolPixmap(name, tint, px, dpr).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 0;
  return n;
}

TEST(Symbols, EveryNamedSymbolHasItsOwnDrawing) {
  const char* names[] = {"checkmark.circle.fill", "exclamationmark.triangle.fill", "exclamationmark.octagon.fill",
                         "chevron.right", "gearshape", "macwindow", "power", "battery.0", "battery.25", "battery.50",
                         "battery.75", "battery.100", "battery.100.bolt", "magnifyingglass", "arrow.clockwise",
                         "xmark.octagon.fill", "xmark.circle.fill", "checkmark.circle", "waveform.path.ecg",
                         "arrow.down", "arrow.up", "chevron.left", "doc", "folder", "app"};
  const QImage fallback = imageOf("no.such.symbol");
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(hasSymbol(name));
    const QImage image = imageOf(name);
    EXPECT_GT(opaquePixels(image), 20);
    EXPECT_NE(image, fallback);
  }
}

TEST(Symbols, UnknownNameDrawsTheFallbackInsteadOfNothing) {
  EXPECT_FALSE(hasSymbol("no.such.symbol"));
  const QImage unknown = imageOf("no.such.symbol");
  EXPECT_GT(opaquePixels(unknown), 20);
  EXPECT_EQ(unknown, imageOf("another.unknown"));
  EXPECT_TRUE(symbolPixmap("x", Qt::red, 0).isNull());
}

TEST(Symbols, TintReplacesTheColourAndPixelRatioScales) {
  const QImage red = imageOf("folder", QColor(255, 0, 0));
  // The middle of the folder is solid: exactly the tint.
  EXPECT_EQ(QColor(red.pixel(12, 13)), QColor(255, 0, 0));
  const QPixmap sharp = symbolPixmap("folder", Qt::red, 16, 2.0);
  EXPECT_EQ(sharp.width(), 32);
  EXPECT_DOUBLE_EQ(sharp.devicePixelRatio(), 2.0);
  const QIcon icon = symbolIcon("power", Qt::blue);
  EXPECT_FALSE(icon.isNull());
  EXPECT_FALSE(icon.pixmap(20).isNull());
}

TEST(Colors, WarningIsYellowInDarkAndDeepAmberInLight) {
  QPalette light;
  light.setColor(QPalette::Window, QColor(236, 236, 236));
  light.setColor(QPalette::WindowText, Qt::black);
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(40, 40, 40));
  dark.setColor(QPalette::WindowText, Qt::white);
  EXPECT_FALSE(isDarkAppearance(light));
  EXPECT_TRUE(isDarkAppearance(dark));
  EXPECT_EQ(paletteColor(ArayuzPalette::warning, light), QColor::fromRgbF(0.78f, 0.56f, 0.0f));
  EXPECT_EQ(paletteColor(ArayuzPalette::warning, dark), QColor(255, 214, 10));
  EXPECT_EQ(severityColor(Severity::warning, dark), QColor(255, 214, 10));
  // Translucent text colours follow the appearance's text colour.
  EXPECT_EQ(paletteColor(ArayuzPalette::track, dark).rgb(), QColor(Qt::white).rgb());
  EXPECT_NEAR(paletteColor(ArayuzPalette::memoryFree, light).alphaF(), 0.16, 0.01);
}

}  // namespace
}  // namespace kovra::ui
