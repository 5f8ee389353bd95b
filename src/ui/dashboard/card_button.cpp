#include "ui/dashboard/card_button.h"

#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPainterPath>

#include "core/localize.h"
#include "ui/common/colors.h"

namespace kovra::ui {

CardButton::CardButton(ArayuzCardSize size, QWidget* parent) : QAbstractButton(parent), metrics_(CardMetrics::of(size)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover);
  setAccessibleDescription(qstr(localized("Ayrıntıları açar", "Kart ipucu")));
  setCursor(Qt::PointingHandCursor);
  // A surface, not a push button: its texts take the window text colours like the pages' texts.
  setBackgroundRole(QPalette::Window);
  setForegroundRole(QPalette::WindowText);
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

QPixmap CardButton::surface(int state) {
  const qreal dpr = devicePixelRatioF();
  const QColor background = paletteColor(ArayuzPalette::cardBackground, palette());
  const QColor border = paletteColor(ArayuzPalette::cardBorder, palette());
  const QColor highlight = palette().color(QPalette::Highlight);
  const QColor text = palette().color(QPalette::WindowText);
  const QString key = QStringLiteral("%1x%2@%3/%4/%5/%6/%7/%8")
                          .arg(width())
                          .arg(height())
                          .arg(dpr)
                          .arg(state)
                          .arg(background.rgba())
                          .arg(border.rgba())
                          .arg(highlight.rgba())
                          .arg(text.rgba());
  if (key == surfaceKey_ && !surface_.isNull()) return surface_;
  surfaceKey_ = key;
  surface_ = QPixmap((QSizeF(size()) * dpr).toSize());
  surface_.setDevicePixelRatio(dpr);
  surface_.fill(Qt::transparent);
  QPainter p(&surface_);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath shape;
  shape.addRoundedRect(r, metrics_.radius, metrics_.radius);
  p.fillPath(shape, background);
  if (state == 1 || state == 2) {
    QColor shade = text;
    shade.setAlphaF(state == 1 ? 0.08f : 0.03f);
    p.fillPath(shape, shade);
  }
  p.setPen(QPen(border, 1));
  p.drawPath(shape);
  if (state == 3) {
    p.setPen(QPen(highlight, 2));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), metrics_.radius, metrics_.radius);
  }
  return surface_;
}

void CardButton::paintEvent(QPaintEvent* event) {
  // 0 plain, 1 pressed, 2 under the pointer, 3 keyboard focus.
  int state = 0;
  if (clickable_ && isDown()) state = 1;
  else if (clickable_ && hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) state = 3;
  else if (clickable_ && underMouse()) state = 2;
  const QPixmap picture = surface(state);
  QPainter p(this);
  for (const QRect& r : event->region()) {
    const qreal dpr = picture.devicePixelRatio();
    p.drawPixmap(r, picture, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
  }
}

}  // namespace kovra::ui
