#pragma once
// The tray item and its panel seen together in one window, for inspection and screenshots: a
// 420-px strip imitating the panel bar with the label picture at its trailing end, and beneath
// it the menu panel's content at its natural size on a rounded background.

#include <QWidget>

#include "ui/shell/collaborators.h"
#include "ui/shell/shell_context.h"

class QLabel;

namespace kovra::ui {

class PanelInspection final : public QWidget {
  Q_OBJECT

 public:
  PanelInspection(ShellContext& context, PanelActions actions, QWidget* parent = nullptr);

 private:
  void updateLabel();

  ShellContext& context_;
  QLabel* label_;
  ObservationToken renderedToken_;
};

}  // namespace kovra::ui
