#pragma once
// A private session bus for one test: its own dbus-daemon in its own process group (killed as a
// group at the end), with nothing activatable on it, and helpers to talk to it without blocking
// the event loop that serves the objects under test.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <sys/types.h>

namespace kovra::ui::testing {

class PrivateBus {
 public:
  // `maxMessageSize` > 0: the daemon drops a connection that sends a larger message.
  explicit PrivateBus(int maxMessageSize = 0);
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool isRunning() const { return !address_.isEmpty(); }
  const QString& address() const { return address_; }
  // A new connection of its own to the bus, closed when the bus ends (or by disconnect()).
  QDBusConnection connect(const QString& name);
  void disconnect(const QString& name);

 private:
  QTemporaryDir dir_;
  pid_t pid_ = -1;
  QString address_;
  QStringList names_;
};

// Turns the event loop until `done` or the safety limit (a hung test, not a timing assertion).
template <class Pred>
bool spinUntil(Pred done) {
  QElapsedTimer limit;
  limit.start();
  while (!done() && limit.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// Lets the event loop run a few rounds, for things that should not happen.
void spinBriefly();

// Calls asynchronously and turns the event loop until the reply is in.
QDBusMessage callAndWait(QDBusConnection& connection, const QDBusMessage& call);

}  // namespace kovra::ui::testing
