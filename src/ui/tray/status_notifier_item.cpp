#include "ui/tray/status_notifier_item.h"

#include <QMetaObject>

#include <algorithm>

namespace kovra::ui {

StatusNotifierItem::StatusNotifierItem(const QDBusObjectPath& menuPath, QObject* parent)
    : QObject(parent), adaptor_(nullptr), menuPath_(menuPath) {
  registerTrayDBusTypes();
  adaptor_ = new StatusNotifierItemAdaptor(this);
}

SniToolTip StatusNotifierItem::toolTip() const { return {QString(), {}, title(), toolTipDescription_}; }

void StatusNotifierItem::setIcon(SniIconPixmapList pixmaps, const QString& name, const QString& themePath) {
  icon_ = std::move(pixmaps);
  iconName_ = name;
  iconThemePath_ = themePath;
  Q_EMIT adaptor_->NewIcon();
}

void StatusNotifierItem::setToolTipDescription(const QString& description) {
  if (description == toolTipDescription_) return;
  toolTipDescription_ = description;
  Q_EMIT adaptor_->NewToolTip();
}

void StatusNotifierItem::setLabel(const QString& label, const QString& guide) {
  if (label == label_ && guide == guide_) return;
  label_ = label;
  guide_ = guide;
  Q_EMIT adaptor_->XAyatanaNewLabel(label_, guide_);
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {}

namespace {

// Positions come from other programs: keep them within any real desktop's coordinates.
QPoint clampedPoint(int x, int y) {
  constexpr int kLimit = 1 << 20;
  return {std::clamp(x, -kLimit, kLimit), std::clamp(y, -kLimit, kLimit)};
}

}  // namespace

// The panel's call is answered first; the program reacts on the next turn of the event loop.
void StatusNotifierItemAdaptor::Activate(int x, int y) {
  const QPoint at = clampedPoint(x, y);
  QMetaObject::invokeMethod(item_, [item = item_, at] { Q_EMIT item->activateRequested(at); }, Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::XAyatanaSecondaryActivate(uint) {
  QMetaObject::invokeMethod(item_, [item = item_] { Q_EMIT item->secondaryActivateRequested(QPoint()); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
  const QPoint at = clampedPoint(x, y);
  QMetaObject::invokeMethod(item_, [item = item_, at] { Q_EMIT item->secondaryActivateRequested(at); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
  const QPoint at = clampedPoint(x, y);
  QMetaObject::invokeMethod(item_, [item = item_, at] { Q_EMIT item->contextMenuRequested(at); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

void StatusNotifierItemAdaptor::ProvideXdgActivationToken(const QString&) {}

}  // namespace kovra::ui
