#include "ui/tray/session_bus.h"

#include <QDBusError>

#include <algorithm>

#include "core/executor.h"
#include "core/log.h"

namespace kovra::ui {

namespace {

SessionBus* activeKeeper = nullptr;
constexpr double kLongestRetrySeconds = 60.0;

}  // namespace

SessionBus::SessionBus(Executor& executor, QObject* parent)
    : QObject(parent), executor_(executor), bus_(QDBusConnection::sessionBus()) {
  activeKeeper = this;
  schedule(kCheckSeconds, kCheckSeconds / 2, &SessionBus::check);
}

SessionBus::SessionBus(Executor& executor, const QString& address, QObject* parent)
    : QObject(parent), executor_(executor), address_(address), bus_(connect()) {
  activeKeeper = this;
  schedule(kCheckSeconds, kCheckSeconds / 2, &SessionBus::check);
}

SessionBus::~SessionBus() {
  if (task_) executor_.cancel(*task_);
  if (activeKeeper == this) activeKeeper = nullptr;
}

QDBusConnection SessionBus::current() {
  return activeKeeper ? activeKeeper->bus_ : QDBusConnection::sessionBus();
}

QDBusConnection SessionBus::connect() {
  const QString name = QStringLiteral("kovra-session-%1").arg(++attempt_);
  if (address_.isEmpty()) return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
  return QDBusConnection::connectToBus(address_, name);
}

void SessionBus::schedule(double seconds, double tolerance, void (SessionBus::*step)()) {
  if (task_) executor_.cancel(*task_);
  task_ = executor_.postAfter(seconds, tolerance, [this, step] {
    task_.reset();
    (this->*step)();
  });
}

void SessionBus::check() {
  if (lost_) return;
  if (bus_.isConnected()) {
    schedule(kCheckSeconds, kCheckSeconds / 2, &SessionBus::check);
    return;
  }
  lost_ = true;
  Log::ui.error("Oturum D-Bus'ı bağlantıyı kesti (" + bus_.lastError().message().toStdString() +
                "); yeniden bağlanılıyor.");
  tryReconnect();
}

void SessionBus::tryReconnect() {
  QDBusConnection fresh = connect();
  if (!fresh.isConnected()) {
    QDBusConnection::disconnectFromBus(fresh.name());
    retrySeconds_ = std::min(retrySeconds_ * 2, kLongestRetrySeconds);
    schedule(retrySeconds_, retrySeconds_ / 10, &SessionBus::tryReconnect);
    return;
  }
  const QString old = bus_.name();
  bus_ = fresh;
  if (old.startsWith(QLatin1String("kovra-session-"))) QDBusConnection::disconnectFromBus(old);
  lost_ = false;
  retrySeconds_ = 1.0;
  ++reconnections_;
  Log::ui.log("Oturum D-Bus'ına yeniden bağlanıldı; tepsi öğesi ve adlar yeniden kaydediliyor.");
  Q_EMIT reconnected(bus_);
  schedule(kCheckSeconds, kCheckSeconds / 2, &SessionBus::check);
}

}  // namespace kovra::ui
