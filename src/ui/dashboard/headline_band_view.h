#pragma once
// The most important verdict in one band: its severity symbol and sentence. When the verdict names
// a card and the band may select, it is a button with a trailing chevron that opens that card.

#include <optional>

#include "core/records.h"
#include "logic/observable.h"
#include "ui/dashboard/card_button.h"

class QLabel;

namespace kovra {
class ArayuzDashboardModel;
}

namespace kovra::ui {

class HeadlineBandView : public CardButton {
  Q_OBJECT

 public:
  HeadlineBandView(ArayuzCardSize size, bool selects, QWidget* parent = nullptr);

  void setVerdict(const Verdict& verdict);
  const Verdict& verdict() const { return verdict_; }
  QString sentenceText() const;

 signals:
  void cardSelected(kovra::CardKind card);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void restyle();

  bool selects_;
  Verdict verdict_;
  bool initialised_ = false;
  QLabel* symbol_;
  QLabel* sentence_;
  QLabel* chevron_;
};

// The band fed with the dashboard model's headline.
class StoreHeadlineBandView : public HeadlineBandView {
  Q_OBJECT

 public:
  StoreHeadlineBandView(const ArayuzDashboardModel& model, ArayuzCardSize size, bool selects = true,
                        QWidget* parent = nullptr);

 private:
  ObservationToken token_;
};

}  // namespace kovra::ui
