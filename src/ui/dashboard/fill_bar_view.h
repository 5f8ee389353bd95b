#pragma once
// A rounded bar filled to a fraction in one colour over the track colour (the disk's fill).

#include <QColor>
#include <QWidget>

namespace kovra::ui {

class FillBarView : public QWidget {
  Q_OBJECT

 public:
  explicit FillBarView(int height, QWidget* parent = nullptr);

  void setFraction(double fraction);
  void setColor(const QColor& colour);
  double fraction() const { return fraction_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double fraction_ = 0;
  QColor colour_;
};

}  // namespace kovra::ui
