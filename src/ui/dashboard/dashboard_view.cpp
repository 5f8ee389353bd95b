#include "ui/dashboard/dashboard_view.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "present/dashboard_model.h"
#include "ui/dashboard/battery_strip_view.h"
#include "ui/dashboard/card_view.h"
#include "ui/dashboard/headline_band_view.h"

namespace kovra::ui {

CardGridView::CardGridView(CardRows cards, const ArayuzDashboardModel& model, ArayuzCardSize size, int spacing,
                           QWidget* parent)
    : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(spacing);
  for (size_t i = 0; i < cards.size(); ++i) {
    auto* card = new CardView(cards[i], model, size, this);
    // A card left alone on the last row takes the whole row.
    const bool alone = i + 1 == cards.size() && i % 2 == 0;
    grid->addWidget(card, static_cast<int>(i / 2), static_cast<int>(i % 2), 1, alone ? 2 : 1);
    connect(card, &CardView::cardSelected, this, &CardGridView::cardSelected);
    cards_.push_back(card);
    // A card for what the machine lacks (sensors in a virtual machine) is not shown at all.
    const auto& present = model.present(cards[i].card);
    card->setVisible(present.value());
    tokens_.push_back(present.subscribe([card](bool shown) { card->setVisible(shown); }));
  }
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  // The first column leads keyboard focus through the grid row by row.
  for (size_t i = 1; i < cards_.size(); ++i) setTabOrder(cards_[i - 1], cards_[i]);
}

CardView* CardGridView::card(CardKind kind) const {
  for (auto* c : cards_)
    if (c->card() == kind) return c;
  return nullptr;
}

DashboardView::DashboardView(Store&, ArayuzDashboardModel& model, CardRows cards, ArayuzCardSize size, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("dashboard"));
  const bool compact = size == ArayuzCardSize::compact;
  auto* layout = new QVBoxLayout(this);
  const int padding = compact ? 12 : 20;
  const int spacing = compact ? 10 : 16;
  layout->setContentsMargins(padding, padding, padding, padding);
  layout->setSpacing(spacing);
  headline_ = new StoreHeadlineBandView(model, size, true, this);
  grid_ = new CardGridView(cards, model, size, spacing, this);
  battery_ = new BatteryStripView(model, size, this);
  layout->addWidget(headline_);
  layout->addWidget(grid_);
  layout->addWidget(battery_);
  layout->addStretch(1);
  connect(headline_, &HeadlineBandView::cardSelected, this, &DashboardView::cardSelected);
  connect(grid_, &CardGridView::cardSelected, this, &DashboardView::cardSelected);
}

}  // namespace kovra::ui
