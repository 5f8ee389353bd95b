#pragma once
// The pieces of the other front-end folders the shell puts into its windows: the dashboard, the
// menu panel's content, the detail pages and the label picture. One place, so that the windows
// do not depend on how each piece is built.

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>

#include "core/records.h"
#include "ui/shell/shell_context.h"

namespace kovra::ui {

// What the menu panel's buttons and cards ask for.
struct PanelActions {
  std::function<void(CardKind)> openCard;
  std::function<void()> openWindow;
  std::function<void()> openSettings;
  std::function<void()> quit;
};

// The dashboard (full-size cards); `onCard` runs when a card or the headline is clicked.
QWidget* makeDashboardWidget(ShellContext& context, std::function<void(CardKind)> onCard, QWidget* parent);
// The menu panel's content: headline band, compact cards, battery strip, divider, three buttons.
QWidget* makeMenuPanelWidget(ShellContext& context, PanelActions actions, QWidget* parent);
// One card's detail page; it activates its card in the detail model while it exists.
QWidget* makeDetailWidget(CardKind card, ShellContext& context, QWidget* parent);
// The wide label picture as the label model rendered it last, drawn in `ink` (null when both
// parts are off).
QImage labelPicture(ShellContext& context, const QColor& ink, qreal devicePixelRatio);

}  // namespace kovra::ui
