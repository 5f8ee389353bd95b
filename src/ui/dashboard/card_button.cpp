#include "ui/dashboard/card_button.h"

#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "core/localize.h"
#include "ui/common/colors.h"

namespace kovra::ui {

CardButton::CardButton(ArayuzCardSize size, QWidget* parent) : QAbstractButton(parent), metrics_(CardMetrics::of(size)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover);
  setAccessibleDescription(qstr(localized("Ayrıntıları açar", "Kart ipucu")));
  setCursor(Qt::PointingHandCursor);
}

void CardButton::setClickable(bool clickable) {
  if (clickable == clickable_) return;
  clickable_ = clickable;
  setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
  setAccessibleDescription(clickable ? qstr(localized("Ayrıntıları açar", "Kart ipucu")) : QString());
  if (clickable) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
    setDown(false);
  }
  update();
}

QSize CardButton::sizeHint() const { return layout() ? layout()->sizeHint() : QSize(200, 80); }
QSize CardButton::minimumSizeHint() const { return layout() ? layout()->minimumSize() : QSize(100, 40); }

bool CardButton::hitButton(const QPoint& pos) const { return clickable_ && rect().contains(pos); }

void CardButton::mousePressEvent(QMouseEvent* event) {
  if (!clickable_) {
    event->ignore();
    return;
  }
  QAbstractButton::mousePressEvent(event);
}

void CardButton::keyPressEvent(QKeyEvent* event) {
  if (clickable_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void CardButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath shape;
  shape.addRoundedRect(r, metrics_.radius, metrics_.radius);
  p.fillPath(shape, paletteColor(ArayuzPalette::cardBackground, palette()));
  if (clickable_ && isDown()) {
    QColor shade = palette().color(QPalette::WindowText);
    shade.setAlphaF(0.08f);
    p.fillPath(shape, shade);
  } else if (clickable_ && underMouse()) {
    QColor shade = palette().color(QPalette::WindowText);
    shade.setAlphaF(0.03f);
    p.fillPath(shape, shade);
  }
  p.setPen(QPen(paletteColor(ArayuzPalette::cardBorder, palette()), 1));
  p.drawPath(shape);
  // The ring shows only when focus came from the keyboard, not after a click.
  if (clickable_ && hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), metrics_.radius, metrics_.radius);
  }
}

}  // namespace kovra::ui
