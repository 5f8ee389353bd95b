#include "ui/shell/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/log.h"

namespace kovra::ui {

SingleInstance::SingleInstance(QDBusConnection bus, std::string lockPath, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), lockPath_(std::move(lockPath)) {}

SingleInstance::~SingleInstance() {
  if (ownsName_) {
    bus_.unregisterObject(kObjectPath);
    bus_.unregisterService(kServiceName);
  }
}

std::string SingleInstance::standardLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/kovra.lock";
  return "/tmp/kovra-" + std::to_string(::getuid()) + ".lock";
}

bool SingleInstance::takeLock() {
  if (lockPath_.empty()) return true;
  // Never through a link: in a shared folder someone else could have put one there.
  UniqueFd fd(::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd.valid()) {
    Log::ui.error("Kilit dosyası açılamadı (" + lockPath_ + "): " + std::strerror(errno));
    return true;  // cannot decide: run rather than never run
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
    Log::ui.error("Kilit dosyası kullanılamıyor: " + lockPath_);
    return true;
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
  lock_ = std::move(fd);
  return true;
}

SingleInstance::Claim SingleInstance::claim() {
  const bool lockHeld = takeLock();
  if (!bus_.isConnected()) {
    if (lockHeld) return Claim::first;
    Log::ui.log("Kovra zaten çalışıyor (kilit: " + lockPath_ + "); bu kopya kapanıyor.");
    return Claim::alreadyRunning;
  }

  // The object first, so that a copy started a moment later finds Activate once the name is ours.
  bus_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
  auto* bus = bus_.interface();
  auto reply = bus->registerService(kServiceName, QDBusConnectionInterface::DontQueueService,
                                    QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
    ownsName_ = true;
    return Claim::first;
  }
  bus_.unregisterObject(kObjectPath);
  if (!reply.isValid()) {
    // The bus answers but refuses the name for another reason: run unguarded rather than not at all.
    Log::ui.error("Oturum veri yolunda ad alınamadı: " + reply.error().message().toStdString());
    return lockHeld ? Claim::first : Claim::alreadyRunning;
  }

  auto call = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kInterface, "Activate");
  // With the GUI loop turning, so that a copy in this same process can answer.
  auto answer = bus_.call(call, QDBus::BlockWithGui, 5000);
  if (answer.type() == QDBusMessage::ReplyMessage) {
    Log::ui.log("Kovra zaten çalışıyor; ana penceresi açıldı, bu kopya kapanıyor.");
    return Claim::alreadyRunning;
  }
  Log::ui.error("Çalışan Kovra'ya ulaşılamadı: " + answer.errorMessage().toStdString());
  if (lockHeld) {
    Log::ui.log("Kilit boşta; bu kopya veri yolundaki ad olmadan çalışıyor.");
    return Claim::first;
  }
  return Claim::unreachable;
}

void SingleInstance::rebind(const QDBusConnection& bus) {
  bus_ = bus;
  if (!ownsName_ || !bus_.isConnected()) return;
  bus_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots);
  if (!bus_.registerService(kServiceName)) {
    Log::ui.error("Yeni D-Bus bağlantısında ad alınamadı: " + bus_.lastError().message().toStdString());
  }
}

void SingleInstance::Activate() { Q_EMIT activateRequested(); }

}  // namespace kovra::ui
