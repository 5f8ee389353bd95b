#include "ui/tray/qt_text_measurer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/log.h"
#include "present/menu_bar_label_model.h"
#include "present/store_fixture.h"
#include "ui/tray/sni_types.h"
#include "ui/tray/tray_icon.h"

namespace kovra::ui {
namespace {

int inkedPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
  }
  return n;
}

TEST(QtTextMeasurer, DejaVuSansWithTabularDigitsAndTheArrows) {
  LogCapture log;
  QtTextMeasurer measurer;
  EXPECT_EQ(measurer.family(), QStringLiteral("DejaVu Sans"));
  EXPECT_TRUE(measurer.hasTabularDigits());
  EXPECT_TRUE(measurer.hasArrows());
  EXPECT_TRUE(log.records().empty());

  EXPECT_GT(measurer.menuBarFontSize(), 0);
  EXPECT_DOUBLE_EQ(measurer.textWidth("↓\u2009188 KB/s", 11), measurer.textWidth("↓\u2009900 KB/s", 11));
  EXPECT_GT(measurer.textWidth("RAM %100", 13), measurer.textWidth("RAM %100", 10));
  auto m = measurer.metrics(13);
  EXPECT_GT(m.ascender, 0);
  EXPECT_LT(m.descender, 0);
}

TEST(QtTextMeasurer, AnyFamilyMeasuresWithoutFailing) {
  QtTextMeasurer measurer(QStringLiteral("Kovra Olmayan Yazı Tipi"));
  EXPECT_GT(measurer.textWidth("↓\u2009—", 12), 0);
  EXPECT_GT(measurer.metrics(12).ascender, 0);
}

class LabelPictureTest : public kovra::testing::StoreFixture {};

TEST_F(LabelPictureTest, PaintsTheRenderedLabelAtItsSize) {
  QtTextMeasurer measurer;
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  ASSERT_TRUE(model.rendered().value());
  const auto& rendered = *model.rendered().value();

  QImage picture = renderLabelPicture(rendered, measurer);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.width(), static_cast<int>(std::ceil(rendered.image.width)));
  EXPECT_EQ(picture.height(), static_cast<int>(std::ceil(rendered.image.height)));
  EXPECT_GT(inkedPixels(picture), 20);
  EXPECT_EQ(picture.text(QStringLiteral("Description")).toStdString(), rendered.accessibilityText);

  // The last slot is right-aligned: its ink ends near the picture's right edge.
  int rightmost = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (qAlpha(picture.pixel(x, y)) > 0) rightmost = std::max(rightmost, x);
    }
  }
  EXPECT_GE(rightmost, picture.width() - 4);

  QImage sharp = renderLabelPicture(rendered.image, measurer, Qt::white, 2.0);
  EXPECT_EQ(sharp.width(), static_cast<int>(std::ceil(rendered.image.width * 2)));
  EXPECT_TRUE(renderLabelPicture(ArayuzMenuBarImage{}, measurer).isNull());
}

TEST(TrayIcon, SquareMonochromePicturesThatShowTheShare) {
  for (int size : kTrayIconSizes) {
    QImage ring = trayIconImage({63}, size);
    EXPECT_EQ(ring.size(), QSize(size, size));
    EXPECT_GT(inkedPixels(ring), size);
    auto pixmap = sniIconPixmap(ring);
    EXPECT_EQ(pixmap.bytes.size(), 4 * size * size);
  }
  EXPECT_NE(trayIconImage({63}, 22), trayIconImage({20}, 22));
  EXPECT_NE(trayIconImage({63}, 22), trayIconImage({std::nullopt}, 22));
  EXPECT_EQ(trayIconImage({63}, 22), trayIconImage({63}, 22));
}

// Pixels of the picture that are mostly opaque and lighter (or darker) than mid grey.
int inkOf(const QImage& image, bool light) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) < 200) continue;
      const int grey = qGray(c);
      if (light ? grey > 200 : grey < 60) ++n;
    }
  }
  return n;
}

TEST(TrayIcon, AGaugeOpenAtTheBottomThatReadsOnLightAndDarkPanels) {
  const int size = 22;
  // Open at the bottom whatever the share: a gauge, not a spinner.
  for (int percent : {0, 3, 50, 100}) EXPECT_EQ(qAlpha(trayIconImage({percent}, size).pixel(size / 2, size - 3)), 0);
  // A small share is still visible, and more share shows more ink.
  EXPECT_GT(inkOf(trayIconImage({0}, size), true), 0);
  EXPECT_LT(inkOf(trayIconImage({10}, size), true), inkOf(trayIconImage({60}, size), true));
  // Where the panel is known to be light the used share is drawn dark.
  const QImage onLight = trayIconImage({63, true}, size);
  EXPECT_GT(inkOf(onLight, false), inkOf(trayIconImage({63}, size), false));
  EXPECT_EQ(inkOf(onLight, true), 0);
}

// Memory wavering between two percents must not redraw the ring each time; a content pushed out
// of the kept few is drawn again, and each content keeps its own pictures.
TEST(TrayIcon, RecentContentsAreDrawnOnceAndKeepTheirOwnPictures) {
  TrayIconPictures pictures;
  for (int i = 0; i < 20; ++i) pictures.pictures({i % 2 == 0 ? 63 : 64});
  EXPECT_EQ(pictures.drawnCount(), 2u);
  EXPECT_EQ(pictures.pictures({63}).at(1), trayIconImage({63}, kTrayIconSizes[1]));
  EXPECT_EQ(pictures.pictures({64}).size(), kTrayIconSizes.size());
  EXPECT_EQ(pictures.pictures({std::nullopt}).at(0), trayIconImage({std::nullopt}, kTrayIconSizes[0]));
  EXPECT_EQ(pictures.drawnCount(), 3u);

  for (int percent = 0; percent < static_cast<int>(TrayIconPictures::kKept); ++percent) pictures.pictures({percent});
  pictures.pictures({0});  // still kept: the most recent few
  EXPECT_EQ(pictures.drawnCount(), 3u + TrayIconPictures::kKept);
  pictures.pictures({63});  // pushed out meanwhile
  EXPECT_EQ(pictures.drawnCount(), 4u + TrayIconPictures::kKept);
  EXPECT_EQ(pictures.pictures({63}).at(1), trayIconImage({63}, kTrayIconSizes[1]));
}

TEST(TrayIcon, PixmapBytesAreArgbInNetworkOrder) {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(0x11, 0x22, 0x33, 0x44));
  image.setPixel(1, 0, qRgba(0xff, 0x00, 0x80, 0xff));
  auto pixmap = sniIconPixmap(image);
  EXPECT_EQ(pixmap.width, 2);
  EXPECT_EQ(pixmap.height, 1);
  EXPECT_EQ(pixmap.bytes, QByteArray::fromHex("44112233ffff0080"));
}

}  // namespace
}  // namespace kovra::ui
