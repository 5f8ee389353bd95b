#include "ui/shell/collaborators.h"

#include <QScrollArea>

#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/menu_panel_content.h"
#include "ui/pages/card_table.h"
#include "ui/pages/detail_pages.h"
#include "ui/tray/qt_text_measurer.h"

namespace kovra::ui {

QWidget* makeDashboardWidget(ShellContext& context, std::function<void(CardKind)> onCard, QWidget* parent) {
  // Scrolls when the window is shorter than the dashboard.
  auto* scroll = new QScrollArea(parent);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* view = new DashboardView(context.store, context.dashboard, cardTable(), ArayuzCardSize::full, scroll);
  QObject::connect(view, &DashboardView::cardSelected, scroll, [onCard = std::move(onCard)](CardKind card) {
    if (onCard) onCard(card);
  });
  scroll->setWidget(view);
  return scroll;
}

QWidget* makeMenuPanelWidget(ShellContext& context, PanelActions actions, QWidget* parent) {
  auto* content = new MenuPanelContent(context.store, context.dashboard, cardTable(), parent);
  auto call = [](const std::function<void()>& action) {
    return [action] {
      if (action) action();
    };
  };
  QObject::connect(content, &MenuPanelContent::cardSelected, content, [open = actions.openCard](CardKind card) {
    if (open) open(card);
  });
  QObject::connect(content, &MenuPanelContent::openWindowRequested, content, call(actions.openWindow));
  QObject::connect(content, &MenuPanelContent::settingsRequested, content, call(actions.openSettings));
  QObject::connect(content, &MenuPanelContent::quitRequested, content, call(actions.quit));
  return content;
}

QWidget* makeDetailWidget(CardKind card, ShellContext& context, QWidget* parent) {
  return makeDetailPage(card, PageContext{context.store, context.detail, context.dashboard, context.executor,
                                          context.tellsOthers},
                        parent);
}

QImage labelPicture(ShellContext& context, const QColor& ink, qreal devicePixelRatio) {
  const auto& rendered = context.label.rendered().value();
  if (!rendered || context.labelMeasurer == nullptr) return {};
  return renderLabelPicture(*rendered, *context.labelMeasurer, ink, devicePixelRatio);
}

}  // namespace kovra::ui
