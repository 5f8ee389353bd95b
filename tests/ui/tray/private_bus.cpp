#include "private_bus.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace kovra::ui::testing {

namespace {

QString readLine(int fd, int timeoutMs) {
  QByteArray line;
  QElapsedTimer limit;
  limit.start();
  while (limit.elapsed() < timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char c = 0;
    if (::read(fd, &c, 1) != 1) break;
    if (c == '\n') return QString::fromUtf8(line);
    line.append(c);
  }
  return {};
}

}  // namespace

PrivateBus::PrivateBus(int maxMessageSize) {
  if (!dir_.isValid()) return;
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(QStringLiteral(
                 "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                 "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>\n"
                 "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>%2</busconfig>\n")
                 .arg(dir_.path(), maxMessageSize > 0
                                       ? QStringLiteral("<limit name=\"max_message_size\">%1</limit>").arg(maxMessageSize)
                                       : QString())
                 .toUtf8());
  file.close();

  int fds[2];
  if (::pipe(fds) != 0) return;
  const QByteArray configArg = ("--config-file=" + config).toLocal8Bit();
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    ::dup2(fds[1], STDOUT_FILENO);
    // Its warnings (an fd limit it may not raise as a normal user) are not the test's output.
    if (int null = ::open("/dev/null", O_WRONLY); null >= 0) ::dup2(null, STDERR_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execlp("dbus-daemon", "dbus-daemon", configArg.constData(), "--print-address", "--nofork",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  if (pid_ > 0) {
    ::setpgid(pid_, pid_);
    address_ = readLine(fds[0], 10000).trimmed();
  }
  ::close(fds[0]);
}

PrivateBus::~PrivateBus() {
  for (const auto& name : names_) QDBusConnection::disconnectFromBus(name);
  if (pid_ > 0) {
    ::kill(-pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

QDBusConnection PrivateBus::connect(const QString& name) {
  names_.push_back(name);
  return QDBusConnection::connectToBus(address_, name);
}

void PrivateBus::disconnect(const QString& name) {
  QDBusConnection::disconnectFromBus(name);
  names_.removeAll(name);
}

void spinBriefly() {
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QDBusMessage callAndWait(QDBusConnection& connection, const QDBusMessage& call) {
  QDBusPendingCall pending = connection.asyncCall(call, 5000);
  spinUntil([&] { return pending.isFinished(); });
  return pending.reply();
}

}  // namespace kovra::ui::testing
