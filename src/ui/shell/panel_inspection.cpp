#include "ui/shell/panel_inspection.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/shell/menu_panel.h"

namespace kovra::ui {

PanelInspection::PanelInspection(ShellContext& context, PanelActions actions, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName("kovra-panel-inspection");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  outer->addWidget(scroll);

  auto* body = new QWidget(scroll);
  auto* column = new QVBoxLayout(body);
  column->setContentsMargins(20, 20, 20, 20);
  column->setSpacing(8);

  auto* strip = new QFrame(body);
  strip->setObjectName("kovra-inspection-strip");
  strip->setFixedSize(MenuPanel::kWidth, 28);
  strip->setAutoFillBackground(true);
  // A role, not a colour taken once: the strip follows a change of palette.
  strip->setBackgroundRole(QPalette::Mid);
  auto* stripLayout = new QHBoxLayout(strip);
  stripLayout->setContentsMargins(8, 2, 8, 2);
  stripLayout->addStretch(1);
  label_ = new QLabel(strip);
  label_->setObjectName("kovra-inspection-label");
  stripLayout->addWidget(label_);

  auto* card = new QFrame(body);
  card->setObjectName("kovra-inspection-panel");
  card->setFixedWidth(MenuPanel::kWidth);
  card->setStyleSheet(QStringLiteral("#kovra-inspection-panel { background: palette(window); border: 1px solid "
                                     "palette(mid); border-radius: 10px; }"));
  auto* cardLayout = new QVBoxLayout(card);
  cardLayout->setContentsMargins(0, 0, 0, 0);
  cardLayout->addWidget(makeMenuPanelWidget(context_, std::move(actions), card));

  column->addWidget(strip, 0, Qt::AlignHCenter);
  column->addWidget(card, 0, Qt::AlignHCenter);
  column->addStretch(1);
  scroll->setWidget(body);

  updateLabel();
  renderedToken_ = context_.label.rendered().subscribe([this](const auto&) { updateLabel(); });
}

void PanelInspection::updateLabel() {
  const qreal dpr = devicePixelRatioF();
  QImage picture = labelPicture(context_, label_->palette().color(QPalette::WindowText), dpr);
  if (picture.isNull()) {
    label_->setPixmap({});
    label_->setText(QStringLiteral("Kovra"));
    return;
  }
  picture.setDevicePixelRatio(dpr);
  label_->setPixmap(QPixmap::fromImage(picture));
}

}  // namespace kovra::ui
