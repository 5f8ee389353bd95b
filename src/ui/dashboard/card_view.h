#pragma once
// One dashboard card as a button: title and status badge, the value area its row builds, the
// sparkline of the last minute when its row names one, and the verdict sentence at the bottom.

#include <vector>

#include "core/records.h"
#include "logic/observable.h"
#include "ui/dashboard/card_button.h"
#include "ui/dashboard/card_row.h"

class QLabel;

namespace kovra {
class ArayuzDashboardModel;
}

namespace kovra::ui {

class SparklineView;
class StatusBadgeView;

class CardView : public CardButton {
  Q_OBJECT

 public:
  CardView(const CardRow& row, const ArayuzDashboardModel& model, ArayuzCardSize size, QWidget* parent = nullptr);

  CardKind card() const { return card_; }
  StatusBadgeView* badge() const { return badge_; }
  QWidget* valueArea() const { return valueArea_; }
  SparklineView* sparkline() const { return spark_; }
  QLabel* verdictLabel() const { return verdict_; }

 signals:
  void cardSelected(kovra::CardKind card);

 private:
  CardKind card_;
  QLabel* title_;
  StatusBadgeView* badge_;
  QWidget* valueArea_;
  SparklineView* spark_ = nullptr;
  QLabel* verdict_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
