// Colours that come out wrong without anything failing: the badge's label on a card, and the
// symbols in front of app names under a light and a dark palette.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "dashboard_fixture.h"
#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/look.h"
#include "ui/common/tint.h"
#include "ui/dashboard/card_button.h"
#include "ui/dashboard/card_view.h"
#include "ui/dashboard/status_badge_view.h"
#include "ui/pages/card_table.h"

namespace kovra::ui {
namespace {

int distance(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The colour the opaque part of a picture is drawn in (the average over its well-covered pixels).
std::optional<QColor> inkOf(const QImage& picture, int minimumAlpha) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  double r = 0, g = 0, b = 0;
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(image.pixel(x, y));
      if (c.alpha() < minimumAlpha) continue;
      r += c.red();
      g += c.green();
      b += c.blue();
      ++n;
    }
  }
  if (n == 0) return std::nullopt;
  return QColor(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

// Whether some pixel of the picture is close to `colour`.
bool drawsIn(const QImage& picture, QColor colour) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (distance(QColor(image.pixel(x, y)), colour) < 60) return true;
  return false;
}

TEST(Look, BadgeLabelTakesTheStyleColourOnACard) {
  for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
    for (Severity severity : {Severity::ok, Severity::warning, Severity::critical}) {
      // A card is a button: its labels would draw in the button text colour.
      CardButton card(ArayuzCardSize::full);
      card.setPalette(kovraPalette(scheme));
      auto* layout = new QVBoxLayout(&card);
      QFont font = card.font();
      font.setPixelSize(16);
      font.setWeight(QFont::Bold);
      auto* badge = new StatusBadgeView(14, font, &card);
      layout->addWidget(badge);
      badge->setSeverity(severity);
      card.resize(200, 60);
      card.show();
      QApplication::processEvents();
      QLabel* label = nullptr;
      for (auto* l : badge->findChildren<QLabel*>())
        if (!l->text().isEmpty()) label = l;
      ASSERT_NE(label, nullptr);
      const QColor expected = severityColor(severity, card.palette());
      EXPECT_TRUE(drawsIn(label->grab().toImage(), expected))
          << "label " << label->text().toStdString() << " not in " << expected.name().toStdString();
      EXPECT_FALSE(drawsIn(label->grab().toImage(), card.palette().color(QPalette::WindowText)))
          << "label " << label->text().toStdString() << " in the plain text colour";
    }
  }
}

class LookTest : public testing::DashboardFixture {};

TEST_F(LookTest, SymbolsBeforeAppNamesFollowThePalette) {
  feed();  // the CPU card lists two apps without an icon of their own and one system group (the gear)
  CardView card(cardRow(CardKind::cpu), *model, ArayuzCardSize::full);
  card.setPalette(kovraPalette(ColorScheme::light));
  card.resize(400, 300);
  card.show();
  QApplication::processEvents();
  auto symbols = [&] {
    std::vector<QLabel*> out;
    for (auto* l : card.valueArea()->findChildren<QLabel*>())
      if (!l->pixmap().isNull() && l->isVisibleTo(&card)) out.push_back(l);
    return out;
  };
  ASSERT_EQ(symbols().size(), 3u);
  for (ColorScheme scheme : {ColorScheme::dark, ColorScheme::light, ColorScheme::dark}) {
    // Changed while shown, as when the desktop switches its scheme.
    card.setPalette(kovraPalette(scheme));
    QApplication::processEvents();
    const QColor expected = toneColor(Tone::secondary, card.palette());
    for (QLabel* symbol : symbols()) {
      const auto ink = inkOf(symbol->pixmap().toImage(), 60);
      ASSERT_TRUE(ink.has_value());
      EXPECT_LT(distance(*ink, expected), 40)
          << "symbol drawn in " << ink->name().toStdString() << ", wanted " << expected.name().toStdString();
    }
  }
}

}  // namespace
}  // namespace kovra::ui
