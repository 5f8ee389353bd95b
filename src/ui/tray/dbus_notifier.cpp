#include "ui/tray/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "core/log.h"
#include "core/runtime.h"
#include "ui/tray/dbus_reply.h"
#include "ui/tray/session_bus.h"

namespace kovra::ui {

namespace {

QString qs(const char* s) { return QString::fromLatin1(s); }

bool serverIsAbsent(const QDBusError& error) {
  return error.type() == QDBusError::ServiceUnknown;
}

}  // namespace

DBusNotifier::DBusNotifier(QObject* parent)
    : QObject(parent), bus_(SessionBus::current()), honoursTestRuns_(true), followsSessionBus_(true) {}

DBusNotifier::DBusNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus), honoursTestRuns_(false) {}

bool DBusNotifier::silent() const {
  return honoursTestRuns_ && (Runtime::isRunningTests() || Runtime::isPreview());
}

uint DBusNotifier::notificationId(const std::string& identifier) const {
  auto it = ids_.find(identifier);
  return it == ids_.end() ? 0 : it->second;
}

void DBusNotifier::requestAuthorization() {
  if (silent() || didRequestAuthorization_) return;
  didRequestAuthorization_ = true;

  QDBusMessage call =
      QDBusMessage::createMethodCall(qs(service), qs(path), qs(service), QStringLiteral("GetServerInformation"));
  onDBusReply(bus_.asyncCall(call), this, [](const QDBusPendingCall& reply) {
    if (!reply.isError()) return;
    if (serverIsAbsent(reply.error())) {
      Log::store.info("Bildirim izni verilmedi.");
    } else {
      Log::store.error("Bildirim izni istenemedi: " + reply.error().message().toStdString());
    }
  });
}

void DBusNotifier::post(const MantikNotice& notice) {
  if (silent()) return;
  if (followsSessionBus_) {
    // After the bus dropped the program's connection, notices go out on the new one.
    QDBusConnection now = SessionBus::current();
    if (now.name() != bus_.name()) {
      bus_ = now;
      watchingClosed_ = false;
      ids_.clear();
    }
  }
  requestAuthorization();

  if (!watchingClosed_ && bus_.isConnected()) {
    // A closed notice's id is forgotten, so the next notice of its kind starts afresh.
    watchingClosed_ = bus_.connect(qs(service), qs(path), qs(service), QStringLiteral("NotificationClosed"), this,
                                   SLOT(forgetClosed(uint, uint)));
  }

  QVariantMap hints;
  hints.insert(QStringLiteral("sound-name"), qs(soundName));
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("com.example.Kovra"));
  QDBusMessage call = QDBusMessage::createMethodCall(qs(service), qs(path), qs(service), QStringLiteral("Notify"));
  call << qs(appName) << notificationId(notice.identifier) << QStringLiteral("com.example.Kovra")
       << QString::fromStdString(notice.title)
       << QString::fromStdString(notice.body) << QStringList() << hints << -1;

  const std::string identifier = notice.identifier;
  onDBusReply(bus_.asyncCall(call), this, [this, identifier](const QDBusPendingCall& finished) {
    QDBusPendingReply<uint> reply = finished;
    if (reply.isError()) {
      Log::store.error("Bildirim gönderilemedi: " + reply.error().message().toStdString());
      return;
    }
    ids_[identifier] = reply.value();
    Q_EMIT delivered(QString::fromStdString(identifier), reply.value());
  });
}

void DBusNotifier::forgetClosed(uint id, uint) {
  for (auto it = ids_.begin(); it != ids_.end();) {
    it = it->second == id ? ids_.erase(it) : std::next(it);
  }
}

}  // namespace kovra::ui
