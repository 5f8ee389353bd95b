// The file-manager call against a private message bus with a test FileManager1 service.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QUrl>

#include <csignal>
#include <optional>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ui/pages/file_manager.h"

namespace kovra::ui {
namespace {

// The service side: records every ShowItems call.
class FakeFileManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
 public:
  QStringList uris;
  QString startupId;
  int calls = 0;

 public slots:
  void ShowItems(const QStringList& items, const QString& id) {
    ++calls;
    uris = items;
    startupId = id;
  }
};

// Receives what the desktop's URL handler would open.
class UrlSink : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

// A session bus of our own, in its own process group, ended with the whole group.
class PrivateBus {
 public:
  PrivateBus() {
    process_.setChildProcessModifier([] { ::setpgid(0, 0); });
    process_.start("dbus-daemon", {"--session", "--print-address", "--nofork"});
    if (!process_.waitForStarted(5000)) return;
    QElapsedTimer limit;
    limit.start();
    while (!process_.canReadLine() && limit.elapsed() < 10000) process_.waitForReadyRead(100);
    address_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~PrivateBus() {
    const qint64 pid = process_.processId();
    if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGTERM);
    process_.waitForFinished(5000);
  }
  const QString& address() const { return address_; }

 private:
  QProcess process_;
  QString address_;
};

template <class Pred>
bool spinUntil(Pred done) {
  QElapsedTimer limit;
  limit.start();
  while (!done() && limit.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class FileManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (bus.address().isEmpty()) GTEST_SKIP() << "dbus-daemon did not start";
    QDesktopServices::setUrlHandler("file", &sink, "open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler("file");
    QDBusConnection::disconnectFromBus("kovra-test-service");
    QDBusConnection::disconnectFromBus("kovra-test-client");
  }
  QDBusConnection client() { return QDBusConnection::connectToBus(bus.address(), "kovra-test-client"); }

  PrivateBus bus;
  UrlSink sink;
};

TEST_F(FileManagerTest, ShowItemsGetsTheItemsFileUri) {
  QDBusConnection service = QDBusConnection::connectToBus(bus.address(), "kovra-test-service");
  ASSERT_TRUE(service.isConnected());
  FakeFileManager manager;
  ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));

  // A name that is not UTF-8 keeps its bytes: another path would name another file.
  const QByteArray paths[] = {"/home/user/Belgeler/rapor 2026 ğ.pdf", "/tmp/bad\xffname.bin"};
  const QString uris[] = {"file:///home/user/Belgeler/rapor%202026%20%C4%9F.pdf", "file:///tmp/bad%FFname.bin"};
  for (int i = 0; i < 2; ++i) {
    std::optional<RevealOutcome> outcome;
    revealInFileManager(paths[i], client(), [&](RevealOutcome o) { outcome = o; });
    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, RevealOutcome::shownByFileManager);
    EXPECT_EQ(manager.uris, QStringList{uris[i]});
  }
  EXPECT_EQ(manager.calls, 2);
  EXPECT_TRUE(sink.opened.isEmpty());
}

TEST_F(FileManagerTest, WithoutAFileManagerTheContainingFolderOpens) {
  std::optional<RevealOutcome> outcome;
  revealInFileManager("/home/user/Vid\xe9os/film.mkv", client(), [&](RevealOutcome o) { outcome = o; });
  ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
  EXPECT_EQ(*outcome, RevealOutcome::openedFolder);
  ASSERT_EQ(sink.opened.size(), 1);
  EXPECT_EQ(sink.opened[0].toEncoded(), QByteArray("file:///home/user/Vid%E9os"));
}

TEST(FileManagerNoBus, ADisconnectedBusFallsBackAtOnce) {
  UrlSink sink;
  QDesktopServices::setUrlHandler("file", &sink, "open");
  std::optional<RevealOutcome> outcome;
  revealInFileManager("/tmp/x/y.txt", QDBusConnection::connectToBus(QString("disabled:"), "kovra-test-none"),
                      [&](RevealOutcome o) { outcome = o; });
  QDesktopServices::unsetUrlHandler("file");
  QDBusConnection::disconnectFromBus("kovra-test-none");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, RevealOutcome::openedFolder);
  EXPECT_EQ(sink.opened, QList<QUrl>{QUrl::fromLocalFile("/tmp/x")});
}

}  // namespace
}  // namespace kovra::ui

#include "file_manager_test.moc"
