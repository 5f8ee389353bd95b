#pragma once
// The dashboard: the headline band, the four cards in a 2×2 grid (memory and network, then disk
// and CPU) and the battery strip. Clicking a card or the band asks for that card's detail.

#include <QWidget>

#include <vector>

#include "core/records.h"
#include "logic/observable.h"
#include "ui/dashboard/card_row.h"
#include "ui/dashboard/card_size.h"

class QGridLayout;

namespace kovra {
class ArayuzDashboardModel;
class Store;
}  // namespace kovra

namespace kovra::ui {

class BatteryStripView;
class CardView;
class StoreHeadlineBandView;

// The grid of cards alone, two to a row in the order of their rows (the menu panel lays out its
// own stack around it).
class CardGridView : public QWidget {
  Q_OBJECT

 public:
  CardGridView(CardRows cards, const ArayuzDashboardModel& model, ArayuzCardSize size, int spacing,
               QWidget* parent = nullptr);
  CardView* card(CardKind kind) const;

 signals:
  void cardSelected(kovra::CardKind card);

 private:
  std::vector<CardView*> cards_;
  std::vector<ObservationToken> tokens_;
};

// At full size the dashboard needs about 700 px of height at the narrowest window width; the
// window puts it in a scroll area so that a short window scrolls instead of squeezing the cards.
class DashboardView : public QWidget {
  Q_OBJECT

 public:
  DashboardView(Store& store, ArayuzDashboardModel& model, CardRows cards, ArayuzCardSize size,
                QWidget* parent = nullptr);

  StoreHeadlineBandView* headline() const { return headline_; }
  CardView* card(CardKind kind) const { return grid_->card(kind); }
  BatteryStripView* batteryStrip() const { return battery_; }

 signals:
  void cardSelected(kovra::CardKind card);

 private:
  StoreHeadlineBandView* headline_;
  CardGridView* grid_;
  BatteryStripView* battery_;
};

}  // namespace kovra::ui
