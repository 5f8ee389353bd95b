#include <QLabel>

#include <gtest/gtest.h>

#include "dashboard_fixture.h"
#include "ui/dashboard/card_view.h"
#include "ui/pages/card_table.h"

namespace kovra::ui {
namespace {

using testing::DashboardFixture;

bool shows(const QWidget& root, const QString& text) {
  for (auto* l : root.findChildren<QLabel*>())
    if (l->text() == text) return true;
  return false;
}

TEST_F(DashboardFixture, ConnectionLineByKindAndSize) {
  CardView full(cardRow(CardKind::network), *model, ArayuzCardSize::full);
  CardView compact(cardRow(CardKind::network), *model, ArayuzCardSize::compact);
  // Before the first reading the line is a dash in both sizes.
  EXPECT_TRUE(shows(full, QStringLiteral("—")));
  EXPECT_TRUE(shows(full, QStringLiteral("Açılıştan beri ↓— · ↑ —")));

  auto n = kovra::testing::networkAt(1000, 1000);
  n.connection = ConnectionKind::ethernet;
  n.localIP.reset();
  networkSampler->box.set(n);
  read();
  model->refresh();
  EXPECT_TRUE(shows(full, QStringLiteral("Ethernet · Yerel IP —")));
  EXPECT_TRUE(shows(compact, QStringLiteral("Ethernet")));

  advance(2);
  n.connection = ConnectionKind::none;
  networkSampler->box.set(n);
  read();
  model->refresh();
  EXPECT_TRUE(shows(full, QStringLiteral("Bağlantı yok")));
  EXPECT_FALSE(shows(full, QStringLiteral("Bağlantı yok · Yerel IP —")));
}

TEST_F(DashboardFixture, RateLinesKeepTheirWidthAsFiguresChangeAndFollowTheUnit) {
  CardView card(cardRow(CardKind::network), *model, ArayuzCardSize::full);
  card.resize(380, 300);
  card.show();
  auto rateLabel = [&]() -> QLabel* {
    for (auto* l : card.findChildren<QLabel*>())
      if (l->text().endsWith(QStringLiteral("/s")) || l->text().endsWith(QStringLiteral("bps"))) return l;
    return nullptr;
  };
  networkSampler->box.set(kovra::testing::networkAt(1'000, 0));
  read();
  model->refresh();
  QLabel* rate = rateLabel();
  ASSERT_TRUE(rate);
  const int narrowFigureWidth = rate->width();
  advance(2);
  networkSampler->box.set(kovra::testing::networkAt(888'000'000, 0));
  read();
  model->refresh();
  EXPECT_EQ(rate->width(), narrowFigureWidth);

  // The reserved width follows the unit's widest text.
  settings->setRateUnit(RateUnit::bits);
  model->refresh();
  EXPECT_TRUE(rate->text().endsWith(QStringLiteral("bps")));
  EXPECT_EQ(rate->width(), QFontMetrics(rate->font()).horizontalAdvance(QString::fromStdString(model->rateTemplate().value())) + 2);
}

}  // namespace
}  // namespace kovra::ui
