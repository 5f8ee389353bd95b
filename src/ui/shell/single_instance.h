#pragma once
// One running copy per user session. The first copy owns the bus name com.example.Kovra and
// answers Activate (it opens its main window); a later copy calls Activate and ends. Without a
// session bus an exclusive lock on a file in the runtime folder decides instead. When the name's
// owner does not answer Activate (another program took the name, or a copy hangs), the lock
// decides too: free, this copy runs without the name; held, nothing can run.

#include <QDBusConnection>
#include <QObject>

#include <string>

#include "core/unique_fd.h"

namespace kovra::ui {

class SingleInstance final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.example.Kovra")

 public:
  static constexpr const char* kServiceName = "com.example.Kovra";
  static constexpr const char* kObjectPath = "/com/example/Kovra";
  static constexpr const char* kInterface = "com.example.Kovra";

  enum class Claim {
    first,           // this copy runs
    alreadyRunning,  // another copy runs and was asked to show itself
    unreachable,     // the name's owner did not answer and the lock is held: nothing can run
  };

  // `lockPath` empty: no lock file is used.
  SingleInstance(QDBusConnection bus, std::string lockPath, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Decides once; logs why a second copy ends.
  Claim claim();

  // Takes the name again on a new connection, after the bus dropped the old one.
  void rebind(const QDBusConnection& bus);

  // $XDG_RUNTIME_DIR/kovra.lock, or a per-user file in /tmp when that is not set.
  static std::string standardLockPath();

 public slots:
  // Called over the bus by a later copy.
  Q_SCRIPTABLE void Activate();

 signals:
  void activateRequested();

 private:
  bool takeLock();
  bool ownsName_ = false;
  QDBusConnection bus_;
  std::string lockPath_;
  UniqueFd lock_;
};

}  // namespace kovra::ui
