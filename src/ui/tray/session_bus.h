#pragma once
// The session bus connection the program's bus objects live on. The bus daemon may drop a
// connection (a message over its size limit, a daemon restart) without telling the program's
// objects; this notices, says so once in the log, connects again with growing pauses and hands
// the new connection to everyone that serves or calls on the bus.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace kovra {
class Executor;
}

namespace kovra::ui {

class SessionBus final : public QObject {
  Q_OBJECT

 public:
  // How often a quiet connection is checked; the check rides on other wake-ups.
  static constexpr double kCheckSeconds = 10.0;

  // The user's session bus.
  explicit SessionBus(Executor& executor, QObject* parent = nullptr);
  // A bus at `address` (tests use a private one).
  SessionBus(Executor& executor, const QString& address, QObject* parent = nullptr);
  ~SessionBus() override;

  const QDBusConnection& connection() const { return bus_; }
  // Checks now, e.g. after a call failed with a disconnection.
  void check();
  int reconnections() const { return reconnections_; }

  // The current connection of the program's session bus, for code that calls on the bus now and
  // then: the keeper's when there is one, otherwise the default.
  static QDBusConnection current();

 signals:
  void reconnected(const QDBusConnection& bus);

 private:
  // Replaces whatever was scheduled with `step` after `seconds`.
  void schedule(double seconds, double tolerance, void (SessionBus::*step)());
  void tryReconnect();
  QDBusConnection connect();

  Executor& executor_;
  QString address_;  // empty: the session bus
  QDBusConnection bus_;
  std::optional<uint64_t> task_;
  bool lost_ = false;
  double retrySeconds_ = 1.0;
  int reconnections_ = 0;
  int attempt_ = 0;
};

}  // namespace kovra::ui
