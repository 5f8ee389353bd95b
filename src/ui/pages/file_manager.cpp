#include "ui/pages/file_manager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

#include "core/log.h"

namespace kovra::ui {

namespace {

constexpr int kCallTimeoutMs = 3000;

QByteArray encodedFileUri(const QByteArray& path) { return "file://" + path.toPercentEncoding("/"); }

RevealOutcome openFolder(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray folder = slash <= 0 ? QByteArray("/") : path.left(slash);
  if (QDesktopServices::openUrl(QUrl::fromEncoded(encodedFileUri(folder)))) return RevealOutcome::openedFolder;
  Log::ui.error("Dosya yöneticisi açılamadı: " + folder.toStdString());
  return RevealOutcome::failed;
}

}  // namespace

QString fileUri(const QByteArray& path) { return QString::fromLatin1(encodedFileUri(path)); }

void revealInFileManager(const QByteArray& path, const QDBusConnection& bus, std::function<void(RevealOutcome)> done) {
  auto finish = [path, done](bool shown) {
    const RevealOutcome outcome = shown ? RevealOutcome::shownByFileManager : openFolder(path);
    if (done) done(outcome);
  };
  if (!bus.isConnected()) {
    finish(false);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItems");
  call << QStringList{fileUri(path)} << QString();
  QDBusPendingCall pending = bus.asyncCall(call, kCallTimeoutMs);
  auto* watcher = new QDBusPendingCallWatcher(pending);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [finish](QDBusPendingCallWatcher* w) {
    const bool ok = !w->isError();
    if (!ok) Log::ui.info("Dosya yöneticisi çağrısı başarısız: " + w->error().message().toStdString());
    w->deleteLater();
    finish(ok);
  });
}

void revealInFileManager(const QByteArray& path, std::function<void(RevealOutcome)> done) {
  revealInFileManager(path, QDBusConnection::sessionBus(), std::move(done));
}

}  // namespace kovra::ui
