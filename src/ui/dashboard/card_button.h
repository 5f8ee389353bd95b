#pragma once
// A rounded, bordered surface that is also a button: the shell of the cards and the headline band.
// Content goes into its layout; it paints the background, the pressed state and the focus ring.

#include <QAbstractButton>
#include <QPixmap>

#include "ui/dashboard/card_size.h"

namespace kovra::ui {

class CardButton : public QAbstractButton {
  Q_OBJECT

 public:
  CardButton(ArayuzCardSize size, QWidget* parent = nullptr);

  // A surface that is not clickable draws the same but takes no clicks or focus.
  void setClickable(bool clickable);
  bool clickable() const { return clickable_; }
  const CardMetrics& metrics() const { return metrics_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

 private:
  // The surface drawn at the widget's size; refreshes repaint only small parts of a card, which
  // then copy from this picture instead of filling and stroking the rounded shape again.
  QPixmap surface(int state);

  CardMetrics metrics_;
  QPixmap surface_;
  QString surfaceKey_;
  bool clickable_ = true;
};

}  // namespace kovra::ui
