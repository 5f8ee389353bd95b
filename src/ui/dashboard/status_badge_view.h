#pragma once
// A verdict's severity as a symbol and a word in its colour; nothing at all for neutral.

#include <QWidget>

#include "core/records.h"

class QLabel;

namespace kovra::ui {

class StatusBadgeView : public QWidget {
  Q_OBJECT

 public:
  StatusBadgeView(int symbolPx, const QFont& font, QWidget* parent = nullptr);

  void setSeverity(Severity severity);
  Severity severity() const { return severity_; }
  QString labelText() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void restyle();

  int symbolPx_;
  QLabel* symbol_;
  QLabel* label_;
  Severity severity_ = Severity::neutral;
};

}  // namespace kovra::ui
