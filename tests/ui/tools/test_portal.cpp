// A stand-in for the desktop portal's settings, for pictures and runs on a private bus: answers
// the colour scheme ("light" or "dark", the first argument) and nothing else. With a second
// argument "flip", it announces the other scheme once a second later.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTimer>

#include <cstdio>

class PortalSettings : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
 public:
  explicit PortalSettings(uint scheme) : scheme_(scheme) {}
  void flip() {
    scheme_ = scheme_ == 1 ? 2 : 1;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                     QStringLiteral("org.freedesktop.portal.Settings"),
                                                     QStringLiteral("SettingChanged"));
    signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
           << QVariant::fromValue(QDBusVariant(scheme_));
    QDBusConnection::sessionBus().send(signal);
  }

 public slots:
  Q_SCRIPTABLE QDBusVariant Read(const QString& group, const QString& key) {
    return QDBusVariant(QVariant::fromValue(ReadOne(group, key)));
  }
  Q_SCRIPTABLE QDBusVariant ReadOne(const QString& group, const QString& key) {
    if (group == QStringLiteral("org.freedesktop.appearance") && key == QStringLiteral("color-scheme"))
      return QDBusVariant(scheme_);
    return QDBusVariant(QString());
  }

 private:
  uint scheme_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  PortalSettings settings(args.value(1) == QStringLiteral("dark") ? 1 : 2);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &settings,
                          QDBusConnection::ExportScriptableSlots) ||
      !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
    std::fprintf(stderr, "test portal: cannot register on the session bus\n");
    return 1;
  }
  if (args.value(2) == QStringLiteral("flip")) QTimer::singleShot(1000, &settings, [&] { settings.flip(); });
  return app.exec();
}

#include "test_portal.moc"
