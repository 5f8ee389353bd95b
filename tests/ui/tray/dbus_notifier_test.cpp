#include "ui/tray/dbus_notifier.h"

#include <QDBusContext>

#include <gtest/gtest.h>

#include "core/log.h"
#include "private_bus.h"

namespace kovra::ui {
namespace {

using testing::spinUntil;

// The desktop's side: a notification server that records every notice and hands out ids.
class TestNotificationServer : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Notice {
    QString appName;
    uint replacesId;
    QString appIcon;
    QString summary;
    QString body;
    QVariantMap hints;
    int timeout;
  };
  std::vector<Notice> notices;
  int serverInformationCalls = 0;
  bool refuses = false;

 public slots:
  uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap& hints, int timeout) {
    if (refuses) {
      sendErrorReply(QDBusError::AccessDenied, QStringLiteral("bildirimler kapalı"));
      return 0;
    }
    notices.push_back({appName, replacesId, appIcon, summary, body, hints, timeout});
    return replacesId != 0 ? replacesId : ++lastId_;
  }
  QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
    ++serverInformationCalls;
    vendor = QStringLiteral("test");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("test-server");
  }

 signals:
  void NotificationClosed(uint id, uint reason);

 private:
  uint lastId_ = 0;
};

int connectionNumber = 0;
QString nextName(const char* role) {
  return QStringLiteral("notify-%1-%2").arg(QLatin1String(role)).arg(++connectionNumber);
}

class DBusNotifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start";
    clientBus = bus.connect(nextName("client"));
    serverBus = bus.connect(nextName("server"));
  }
  void startServer() {
    ASSERT_TRUE(serverBus.registerObject(QString::fromLatin1(DBusNotifier::path), &server,
                                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    ASSERT_TRUE(serverBus.registerService(QString::fromLatin1(DBusNotifier::service)));
  }

  testing::PrivateBus bus;
  QDBusConnection clientBus{QString()};
  QDBusConnection serverBus{QString()};
  TestNotificationServer server;
};

const MantikNotice kMemory{"kovra.memory.critical", "Bellek dolu", "Tarayıcı 3,2 GB yer kaplıyor."};
const MantikNotice kMemory2{"kovra.memory.critical", "Bellek dolu", "Düzenleyici 2,1 GB yer kaplıyor."};
const MantikNotice kDisk{"kovra.disk.critical", "Disk neredeyse dolu", "Sadece 4,1 GB boş yer kaldı."};

TEST_F(DBusNotifierTest, NoticesReachTheServerAndReplaceOnlyTheirOwnKind) {
  startServer();
  DBusNotifier notifier(clientBus);
  int delivered = 0;
  QObject context;
  QObject::connect(&notifier, &DBusNotifier::delivered, &context, [&] { ++delivered; });
  LogCapture log;

  notifier.post(kMemory);
  ASSERT_TRUE(spinUntil([&] { return delivered == 1; }));
  notifier.post(kDisk);
  ASSERT_TRUE(spinUntil([&] { return delivered == 2; }));
  notifier.post(kMemory2);
  ASSERT_TRUE(spinUntil([&] { return delivered == 3; }));
  notifier.post(kDisk);
  ASSERT_TRUE(spinUntil([&] { return delivered == 4; }));

  ASSERT_EQ(server.notices.size(), 4u);
  for (const auto& n : server.notices) {
    EXPECT_EQ(n.appName, QStringLiteral("Kovra"));
    EXPECT_EQ(n.hints.value(QStringLiteral("sound-name")).toString(), QStringLiteral("message-new-instant"));
    // The desktop finds the program's entry and icon under the same id as its menu entry.
    EXPECT_EQ(n.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("com.example.Kovra"));
    EXPECT_EQ(n.appIcon, QStringLiteral("com.example.Kovra"));
    EXPECT_EQ(n.timeout, -1);
  }
  EXPECT_EQ(server.notices[0].summary, QStringLiteral("Bellek dolu"));
  EXPECT_EQ(server.notices[0].body, QStringLiteral("Tarayıcı 3,2 GB yer kaplıyor."));
  EXPECT_EQ(server.notices[0].replacesId, 0u);
  EXPECT_EQ(server.notices[1].replacesId, 0u) << "the disk notice never replaces the memory notice";
  EXPECT_EQ(server.notices[2].replacesId, 1u) << "a new memory notice replaces the last one";
  EXPECT_EQ(server.notices[2].body, QStringLiteral("Düzenleyici 2,1 GB yer kaplıyor."));
  EXPECT_EQ(server.notices[3].replacesId, 2u);
  EXPECT_EQ(notifier.notificationId("kovra.memory.critical"), 1u);

  // Permission was asked once, with the first notice; a present server means granted: no log.
  EXPECT_TRUE(notifier.didRequestAuthorization());
  EXPECT_TRUE(spinUntil([&] { return server.serverInformationCalls == 1; }));
  notifier.requestAuthorization();
  EXPECT_TRUE(log.messages("store").empty());

  // Once the user closes the memory notice, the next one is new again.
  Q_EMIT server.NotificationClosed(1, 2);
  ASSERT_TRUE(spinUntil([&] { return notifier.notificationId("kovra.memory.critical") == 0; }));
  notifier.post(kMemory);
  ASSERT_TRUE(spinUntil([&] { return delivered == 5; }));
  EXPECT_EQ(server.notices[4].replacesId, 0u);
  EXPECT_EQ(server.serverInformationCalls, 1);
}

TEST_F(DBusNotifierTest, AbsentServerMeansNoPermissionLoggedOnce) {
  DBusNotifier notifier(clientBus);
  LogCapture log;
  notifier.requestAuthorization();
  notifier.requestAuthorization();
  ASSERT_TRUE(spinUntil([&] { return log.count("Bildirim izni verilmedi.") == 1; }));
  const auto records = log.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, LogLevel::info);
  EXPECT_EQ(records[0].category, "store");

  // Posting still tries, and its failure is logged as a delivery error.
  notifier.post(kDisk);
  ASSERT_TRUE(spinUntil([&] { return log.records().size() == 2; }));
  EXPECT_EQ(log.records()[1].level, LogLevel::error);
  EXPECT_EQ(log.records()[1].message.rfind("Bildirim gönderilemedi: ", 0), 0u) << log.records()[1].message;
  EXPECT_EQ(log.count("Bildirim izni verilmedi."), 1u);
}

TEST_F(DBusNotifierTest, RefusedNoticeIsLoggedAndNotRemembered) {
  startServer();
  server.refuses = true;
  DBusNotifier notifier(clientBus);
  LogCapture log;
  notifier.post(kMemory);
  ASSERT_TRUE(spinUntil([&] { return !log.messages("store").empty(); }));
  EXPECT_EQ(log.messages("store")[0], "Bildirim gönderilemedi: bildirimler kapalı");
  EXPECT_EQ(notifier.notificationId("kovra.memory.critical"), 0u);
}

TEST(DBusNotifierTestRun, SessionNotifierStaysSilentInTestRuns) {
  LogCapture log;
  DBusNotifier notifier;  // the session bus; this is a test run
  notifier.post(kMemory);
  notifier.requestAuthorization();
  EXPECT_FALSE(notifier.didRequestAuthorization());
  testing::spinBriefly();
  EXPECT_TRUE(log.records().empty());
}

TEST(DBusNotifierNoBus, DisconnectedBusGivesThePermissionErrorLine) {
  LogCapture log;
  DBusNotifier notifier(QDBusConnection::connectToBus(QStringLiteral("disabled:"), QStringLiteral("notify-none")));
  notifier.requestAuthorization();
  ASSERT_TRUE(spinUntil([&] { return !log.records().empty(); }));
  EXPECT_EQ(log.records()[0].level, LogLevel::error);
  EXPECT_EQ(log.records()[0].message.rfind("Bildirim izni istenemedi: ", 0), 0u) << log.records()[0].message;
  QDBusConnection::disconnectFromBus(QStringLiteral("notify-none"));
}

}  // namespace
}  // namespace kovra::ui

#include "dbus_notifier_test.moc"
