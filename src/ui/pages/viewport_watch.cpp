#include "ui/pages/viewport_watch.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QTimer>

namespace kovra::ui {

ViewportWatch::ViewportWatch(QWidget* rows, std::function<void()> changed)
    : QObject(rows), rows_(rows), changed_(std::move(changed)) {}

void ViewportWatch::attach() {
  if (viewport_) return;
  QWidget* viewport = nullptr;
  for (QWidget* w = rows_->parentWidget(); w; w = w->parentWidget()) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
      viewport = area->viewport();
      break;
    }
  }
  if (!viewport) return;
  viewport_ = viewport;
  // Scrolling moves the scroll area's content widget; a layout change moves the list or one of
  // the widgets it sits in.
  for (QWidget* w = rows_; w && w != viewport; w = w->parentWidget()) w->installEventFilter(this);
  viewport->installEventFilter(this);
}

std::optional<QRect> ViewportWatch::viewportRect() const {
  const QWidget* viewport = viewport_.data();
  if (viewport == nullptr || !rows_->isVisible()) return std::nullopt;
  return QRect(rows_->mapFrom(viewport, QPoint(0, 0)), viewport->size());
}

bool ViewportWatch::inView(const QRect& geometry) const {
  const auto viewport = viewportRect();
  return !viewport || geometry.intersects(*viewport);
}

bool ViewportWatch::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
      changed_();
      break;
    case QEvent::LayoutRequest:
      // The rows are placed on this event: look once they are in place.
      if (watched == rows_) QTimer::singleShot(0, this, [this] { changed_(); });
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kovra::ui
