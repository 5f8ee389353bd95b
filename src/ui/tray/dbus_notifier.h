#pragma once
// Notices through the desktop's notification server (org.freedesktop.Notifications). Every call
// is asynchronous; replies only log and remember ids. Each kind of notice replaces its own
// previous notice (the server's replaces_id, remembered per notice identifier), never the other
// kind. Permission, on this desktop, is the presence of a notification server.

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <string>

#include "logic/notifying.h"

namespace kovra::ui {

class DBusNotifier final : public QObject, public MantikNotifying {
  Q_OBJECT

 public:
  static constexpr const char* service = "org.freedesktop.Notifications";
  static constexpr const char* path = "/org/freedesktop/Notifications";
  static constexpr const char* appName = "Kovra";
  static constexpr const char* soundName = "message-new-instant";

  // On the session bus; does nothing in test and preview runs.
  explicit DBusNotifier(QObject* parent = nullptr);
  // Always on the given bus, also in test runs (tests hand over a private bus).
  explicit DBusNotifier(const QDBusConnection& bus, QObject* parent = nullptr);

  void requestAuthorization() override;
  void post(const MantikNotice& notice) override;

  bool didRequestAuthorization() const { return didRequestAuthorization_; }
  // The server's id of the last notice of this identifier, 0 when none is shown.
  uint notificationId(const std::string& identifier) const;

 signals:
  // A notice was handed to the server (its reply arrived); for tests and diagnostics.
  void delivered(QString identifier, uint id);

 private slots:
  void forgetClosed(uint id, uint reason);

 private:
  bool silent() const;

  QDBusConnection bus_;
  bool honoursTestRuns_;
  bool followsSessionBus_ = false;
  bool didRequestAuthorization_ = false;
  bool watchingClosed_ = false;
  std::map<std::string, uint> ids_;
};

}  // namespace kovra::ui
