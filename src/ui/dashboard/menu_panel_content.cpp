#include "ui/dashboard/menu_panel_content.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/localize.h"
#include "present/dashboard_model.h"
#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"
#include "ui/dashboard/battery_strip_view.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/headline_band_view.h"

namespace kovra::ui {

MenuPanelContent::MenuPanelContent(Store&, ArayuzDashboardModel& model, CardRows cards, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("menu-panel-content"));
  setFixedWidth(kWidth);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);
  headline_ = new StoreHeadlineBandView(model, ArayuzCardSize::compact, true, this);
  grid_ = new CardGridView(cards, model, ArayuzCardSize::compact, 10, this);
  battery_ = new BatteryStripView(model, ArayuzCardSize::compact, this);
  auto* divider = new QFrame(this);
  divider->setFrameShape(QFrame::HLine);
  divider->setFrameShadow(QFrame::Plain);
  divider->setFixedHeight(1);
  setTextColor(divider, [](const QPalette& p) { return paletteColor(ArayuzPalette::cardBorder, p); });
  layout->addWidget(headline_);
  layout->addWidget(grid_);
  layout->addWidget(battery_);
  layout->addWidget(divider);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  openWindow_ = new QPushButton(qstr(localized("Pencereyi aç", "Menü paneli")), this);
  settings_ = new QPushButton(qstr(localized("Ayarlar…", "Menü paneli")), this);
  quit_ = new QPushButton(qstr(localized("Çık", "Menü paneli")), this);
  buttons->addWidget(openWindow_);
  buttons->addWidget(settings_);
  buttons->addStretch(1);
  buttons->addWidget(quit_);
  layout->addLayout(buttons);
  updateIcons();

  connect(headline_, &HeadlineBandView::cardSelected, this, &MenuPanelContent::cardSelected);
  connect(grid_, &CardGridView::cardSelected, this, &MenuPanelContent::cardSelected);
  connect(openWindow_, &QPushButton::clicked, this, &MenuPanelContent::openWindowRequested);
  connect(settings_, &QPushButton::clicked, this, &MenuPanelContent::settingsRequested);
  connect(quit_, &QPushButton::clicked, this, &MenuPanelContent::quitRequested);
}

void MenuPanelContent::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) updateIcons();
}

void MenuPanelContent::updateIcons() {
  const QColor tint = palette().color(QPalette::ButtonText);
  openWindow_->setIcon(symbolIcon("macwindow", tint));
  settings_->setIcon(symbolIcon("gearshape", tint));
  quit_->setIcon(symbolIcon("power", tint));
}

}  // namespace kovra::ui
