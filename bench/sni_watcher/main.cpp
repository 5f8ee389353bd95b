// A minimal StatusNotifierWatcher for measurements: owns org.kde.StatusNotifierWatcher on the
// session bus it is given, accepts item registrations, says a host is present, and prints each
// registration to standard output, and each new label an item announces, with the monotonic
// clock in milliseconds ("registered SERVICE 1234.5", "label 1234.6 TEXT"). It draws nothing.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

#include <time.h>

#include <cstdio>

static double nowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

class Watcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)

 public:
  QStringList items() const { return items_; }
  bool hostRegistered() const { return true; }
  int protocolVersion() const { return 0; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service) {
    // A path alone means "this path on the caller's connection".
    QString item = service.startsWith('/') ? message().service() + service : service;
    if (!items_.contains(item)) items_ << item;
    std::printf("registered %s %.1f\n", item.toUtf8().constData(), nowMs());
    std::fflush(stdout);
    Q_EMIT StatusNotifierItemRegistered(item);
  }
  void RegisterStatusNotifierHost(const QString&) {}

 signals:
  void StatusNotifierItemRegistered(const QString& service);
  void StatusNotifierItemUnregistered(const QString& service);
  void StatusNotifierHostRegistered();

 private slots:
  // Not a bus method: the item's label signal, heard on the bus.
  void labelChanged(const QString& label, const QString&) {
    std::printf("label %.1f %s\n", nowMs(), label.toUtf8().constData());
    std::fflush(stdout);
  }

 private:
  QStringList items_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  auto bus = QDBusConnection::sessionBus();
  Watcher watcher;
  bus.registerObject("/StatusNotifierWatcher", &watcher,
                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                         QDBusConnection::ExportAllProperties);
  if (!bus.registerService("org.kde.StatusNotifierWatcher")) {
    std::fprintf(stderr, "sni_watcher: cannot own org.kde.StatusNotifierWatcher\n");
    return 1;
  }
  bus.connect(QString(), QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
              QStringLiteral("XAyatanaNewLabel"), &watcher, SLOT(labelChanged(QString, QString)));
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}

#include "main.moc"
