#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "dashboard_fixture.h"
#include "ui/dashboard/battery_strip_view.h"
#include "ui/dashboard/card_view.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/headline_band_view.h"
#include "ui/dashboard/menu_panel_content.h"
#include "ui/dashboard/sparkline_view.h"
#include "ui/dashboard/status_badge_view.h"
#include "ui/pages/card_table.h"

namespace kovra::ui {
namespace {

using testing::DashboardFixture;

QStringList labelTexts(const QWidget& root) {
  QStringList texts;
  for (auto* l : root.findChildren<QLabel*>()) texts << l->text();
  return texts;
}

TEST_F(DashboardFixture, RefreshUpdatesTheSameWidgetsInPlace) {
  DashboardView view(*store, *model, cardTable(), ArayuzCardSize::full);
  view.resize(820, 700);
  view.show();
  const auto labelsBefore = view.findChildren<QLabel*>();
  const auto widgetsBefore = view.findChildren<QWidget*>();
  EXPECT_TRUE(labelTexts(view).contains(QStringLiteral("—")));

  feed();
  const auto labelsAfter = view.findChildren<QLabel*>();
  EXPECT_EQ(labelsAfter, labelsBefore);
  EXPECT_EQ(view.findChildren<QWidget*>(), widgetsBefore);
  const QStringList texts = labelTexts(view);
  EXPECT_TRUE(texts.contains(QStringLiteral("8,0 GB"))) << texts.join(QStringLiteral(" | ")).toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("kullanılıyor / 16,0 GB")));
  EXPECT_TRUE(texts.contains(QStringLiteral("%25")));
  EXPECT_TRUE(texts.contains(QStringLiteral("%75 dolu")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Wi-Fi · Yerel IP 192.168.1.20")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Açılıştan beri ↓5 MB · ↑ 0 MB")));
  EXPECT_FALSE(view.card(CardKind::disk)->sparkline());
  EXPECT_EQ(view.card(CardKind::cpu)->sparkline()->accessibleName(), QStringLiteral("Son bir dakikanın grafiği"));
  EXPECT_FALSE(view.card(CardKind::cpu)->sparkline()->segments().empty());

  // A second reading with other values changes texts, not widgets.
  advance(3);
  feed(0.75, 0.5);
  EXPECT_EQ(view.findChildren<QWidget*>(), widgetsBefore);
  EXPECT_TRUE(labelTexts(view).contains(QStringLiteral("%50")));
}

TEST_F(DashboardFixture, TopAppsListShowsADashWithoutAppsAndRowsWithThem) {
  CardView card(cardRow(CardKind::cpu), *model, ArayuzCardSize::compact);
  card.resize(193, 260);
  card.show();
  auto visibleTexts = [&] {
    QStringList out;
    for (auto* l : card.findChildren<QLabel*>())
      if (l->isVisibleTo(&card)) out << (l->accessibleName().isEmpty() ? l->text() : l->accessibleName());
    return out;
  };
  EXPECT_TRUE(visibleTexts().contains(QStringLiteral("—")));
  feed();
  const QStringList texts = visibleTexts();
  EXPECT_TRUE(texts.contains(QStringLiteral("Firefox ESR Tarayıcı Penceresi")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Derleyici")));
  // "—" is gone once there are apps (the verdict may still be one, but not as its own row).
  EXPECT_EQ(texts.count(QStringLiteral("—")), 0) << texts.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(DashboardFixture, CardsAndTheBandSelectTheirCard) {
  DashboardView view(*store, *model, cardTable(), ArayuzCardSize::full);
  view.resize(820, 700);
  view.show();
  std::vector<CardKind> selected;
  QObject::connect(&view, &DashboardView::cardSelected, [&](CardKind c) { selected.push_back(c); });
  testing::click(view.card(CardKind::disk));
  testing::click(view.card(CardKind::network));
  EXPECT_EQ(selected, (std::vector<CardKind>{CardKind::disk, CardKind::network}));
  EXPECT_EQ(view.card(CardKind::disk)->accessibleDescription(), QStringLiteral("Ayrıntıları açar"));
  EXPECT_EQ(view.card(CardKind::disk)->text(), QStringLiteral("Disk"));

  // A headline without a card is not a button; one naming a card opens it.
  selected.clear();
  testing::click(view.headline());
  EXPECT_TRUE(selected.empty());
  view.headline()->setVerdict(Verdict{CardKind::memory, Severity::warning, "Bellek dolmak üzere."});
  testing::click(view.headline());
  EXPECT_EQ(selected, (std::vector<CardKind>{CardKind::memory}));
  EXPECT_EQ(view.headline()->accessibleDescription(), QStringLiteral("Ayrıntıları açar"));
}

TEST(StatusBadge, NeutralDrawsNoBadge) {
  StatusBadgeView badge(14, QFont());
  EXPECT_TRUE(badge.isHidden());
  badge.setSeverity(Severity::critical);
  EXPECT_FALSE(badge.isHidden());
  EXPECT_EQ(badge.labelText(), QStringLiteral("Kritik"));
  EXPECT_EQ(badge.accessibleName(), QStringLiteral("Durum: Kritik"));
  badge.setSeverity(Severity::neutral);
  EXPECT_TRUE(badge.isHidden());
}

TEST_F(DashboardFixture, CardBadgeFollowsTheVerdict) {
  CardView card(cardRow(CardKind::disk), *model, ArayuzCardSize::full);
  EXPECT_TRUE(card.badge()->isHidden());  // before readings every verdict is neutral
  feed();
  EXPECT_FALSE(card.badge()->isHidden());
  EXPECT_EQ(card.badge()->labelText(), QString::fromStdString(ArayuzSeverityStyle::of(model->verdict(CardKind::disk)->severity)->label));
}

TEST_F(DashboardFixture, MenuPanelFitsItsWidthAndForwardsItsButtons) {
  MenuPanelContent panel(*store, *model, cardTable());
  BatterySnapshot b;
  b.chargeFraction = 0.42;
  feed(0.5, 0.25, b);
  panel.adjustSize();
  panel.show();
  EXPECT_EQ(panel.width(), 420);
  EXPECT_LE(panel.minimumSizeHint().width(), 420);
  // Every card gets the same share of the width.
  EXPECT_EQ(panel.cards()->card(CardKind::memory)->width(), panel.cards()->card(CardKind::network)->width());
  EXPECT_GE(panel.cards()->card(CardKind::memory)->width(), 180);
  EXPECT_TRUE(panel.batteryStrip()->isVisibleTo(&panel));
  int window = 0, settingsOpened = 0, quit = 0;
  QObject::connect(&panel, &MenuPanelContent::openWindowRequested, [&] { ++window; });
  QObject::connect(&panel, &MenuPanelContent::settingsRequested, [&] { ++settingsOpened; });
  QObject::connect(&panel, &MenuPanelContent::quitRequested, [&] { ++quit; });
  panel.openWindowButton()->click();
  panel.settingsButton()->click();
  panel.quitButton()->click();
  EXPECT_EQ(window + settingsOpened + quit, 3);
  EXPECT_EQ(panel.quitButton()->text(), QStringLiteral("Çık"));
  EXPECT_FALSE(panel.quitButton()->icon().isNull());
  std::vector<CardKind> selected;
  QObject::connect(&panel, &MenuPanelContent::cardSelected, [&](CardKind c) { selected.push_back(c); });
  testing::click(panel.cards()->card(CardKind::cpu));
  EXPECT_EQ(selected, (std::vector<CardKind>{CardKind::cpu}));
}

}  // namespace
}  // namespace kovra::ui
