#include "ui/dashboard/eliding_label.h"

#include <QEvent>
#include <QFontMetrics>

namespace kovra::ui {

ElidingLabel::ElidingLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextFormat(Qt::PlainText);
}

void ElidingLabel::setFullText(const QString& text) {
  if (text == full_) return;
  full_ = text;
  setAccessibleName(text);
  elide();
  updateGeometry();
}

QSize ElidingLabel::minimumSizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("…")) * 3, fm.height()};
}

QSize ElidingLabel::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(full_) + 2, fm.height()};
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  elide();
}

void ElidingLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) elide();
}

void ElidingLabel::elide() {
  const QString shown = QFontMetrics(font()).elidedText(full_, Qt::ElideRight, std::max(0, contentsRect().width()));
  if (shown != text()) setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace kovra::ui
