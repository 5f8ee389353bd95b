// Things a look can get wrong without any test of texts noticing: a caption that floats off its
// figure's baseline, and colours worked out once that stay behind when the palette changes.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScrollArea>

#include <cmath>

#include "page_fixture.h"
#include "ui/common/look.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/pages/card_table.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/disk_page_view.h"

namespace kovra::ui::testing {
namespace {

// The lowest row of `image` inside `area` that has ink (a pixel unlike the background).
int lowestInk(const QImage& image, const QRect& area, QColor background) {
  for (int y = area.bottom(); y >= area.top(); --y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c(image.pixel(x, y));
      if (std::abs(c.lightness() - background.lightness()) > 90) return y;
    }
  }
  return -1;
}

TEST(Look, CaptionSitsOnTheFiguresBaselineRightAfterIt) {
  // Digits and letters without descenders (no comma, no slash): the lowest ink is the baseline.
  BigValueView view(QStringLiteral("18 GB"), QString::fromUtf8("kullanımda"), PageMetrics::kBigFigure,
                    QStringLiteral("888,8 GB"));
  view.setPalette(kovraPalette(ColorScheme::light));
  view.setAutoFillBackground(true);
  view.resize(600, view.sizeHint().height());
  view.show();
  QApplication::processEvents();
  const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QColor background = view.palette().color(QPalette::Window);
  const QRect figure = view.primaryLabel()->geometry();
  const QRect caption = view.secondaryLabel()->geometry();
  const int figureBase = lowestInk(image, figure, background);
  const int captionBase = lowestInk(image, caption, background);
  ASSERT_GE(figureBase, 0);
  ASSERT_GE(captionBase, 0);
  EXPECT_LE(std::abs(figureBase - captionBase), 1) << "figure ends at " << figureBase << ", caption at " << captionBase;
  // Right after the figure: no room kept for digits it does not have.
  const int figureText = view.primaryLabel()->fontMetrics().horizontalAdvance(view.primaryLabel()->text());
  EXPECT_LE(caption.left() - (figure.left() + figureText), Look::kGap2 + 6);
}

class LookTest : public PageFixture {};

// Whether a colour is one of the verdict or chart colours (not a grey of the text).
bool chromatic(QColor c) { return c.hsvSaturation() > 90; }

// The colour a label draws in: its text colour, or the ink of its picture.
std::optional<QColor> drawnIn(const QLabel* label) {
  if (!label->pixmap().isNull()) {
    const QImage image = label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    double l = 0;
    int n = 0;
    QColor any;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = QColor::fromRgba(image.pixel(x, y));
        if (c.alpha() < 100) continue;
        if (chromatic(c)) return c;
        l += c.lightness();
        ++n;
      }
    if (n == 0) return std::nullopt;
    const int v = static_cast<int>(l / n);
    return QColor(v, v, v);
  }
  if (label->text().isEmpty()) return std::nullopt;
  return label->palette().color(label->foregroundRole());
}

TEST_F(LookTest, PaletteChangeWhileRunningReachesEveryView) {
  setProcesses(ProcessListSnapshot{{makeApp("editor", "Metin", 900'000'000, 0.2),
                                    makeApp("system", "Sistem", 300'000'000, 0.05, false)},
                                   3});
  tick();
  dashboard->refresh();
  const QPalette previous = QApplication::palette();
  QApplication::setPalette(kovraPalette(ColorScheme::light));
  std::vector<std::unique_ptr<QWidget>> views;
  views.emplace_back(new DashboardView(*store, *dashboard, cardTable(), ArayuzCardSize::full));
  for (CardKind card : kAllCardKinds) views.emplace_back(makeDetailPage(card, context()));
  for (auto& v : views) {
    v->resize(820, 900);
    v->show();
  }
  QApplication::processEvents();
  for (ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
    QApplication::setPalette(kovraPalette(scheme));
    QApplication::processEvents();
    const bool dark = scheme == ColorScheme::dark;
    int checked = 0;
    for (auto& v : views) {
      for (QLabel* label : v->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(v.get())) continue;
        const auto colour = drawnIn(label);
        if (!colour || chromatic(*colour)) continue;
        ++checked;
        EXPECT_EQ(colour->lightness() > 128, dark)
            << (dark ? "dark" : "light") << ": \"" << label->text().toStdString() << "\" ("
            << label->objectName().toStdString() << " in " << label->parentWidget()->metaObject()->className()
            << ") stays " << colour->name().toStdString();
      }
    }
    EXPECT_GT(checked, 80);
  }
  views.clear();
  QApplication::setPalette(previous);
}

}  // namespace
}  // namespace kovra::ui::testing
