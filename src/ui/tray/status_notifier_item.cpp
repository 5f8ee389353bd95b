#include "ui/tray/status_notifier_item.h"

#include <QMetaObject>

namespace kovra::ui {

StatusNotifierItem::StatusNotifierItem(const QDBusObjectPath& menuPath, QObject* parent)
    : QObject(parent), adaptor_(nullptr), menuPath_(menuPath) {
  registerTrayDBusTypes();
  adaptor_ = new StatusNotifierItemAdaptor(this);
}

SniToolTip StatusNotifierItem::toolTip() const { return {QString(), {}, title(), toolTipDescription_}; }

void StatusNotifierItem::setIcon(SniIconPixmapList pixmaps) {
  icon_ = std::move(pixmaps);
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

// The panel's call is answered first; the program reacts on the next turn of the event loop.
void StatusNotifierItemAdaptor::Activate(int x, int y) {
  QMetaObject::invokeMethod(item_, [item = item_, x, y] { Q_EMIT item->activateRequested(QPoint(x, y)); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
  QMetaObject::invokeMethod(item_, [item = item_, x, y] { Q_EMIT item->secondaryActivateRequested(QPoint(x, y)); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
  QMetaObject::invokeMethod(item_, [item = item_, x, y] { Q_EMIT item->contextMenuRequested(QPoint(x, y)); },
                            Qt::QueuedConnection);
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

void StatusNotifierItemAdaptor::ProvideXdgActivationToken(const QString&) {}

}  // namespace kovra::ui
