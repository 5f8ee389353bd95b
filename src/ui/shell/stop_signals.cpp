#include "ui/shell/stop_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kovra::ui {

namespace {

int pipeFds[2] = {-1, -1};

extern "C" void onStopSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  // Non-blocking: a full pipe already holds a request to stop.
  [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

bool StopSignals::install() {
  if (pipeFds[0] >= 0) return true;
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeFds[0] = pipeFds[1] = -1;
    return false;
  }
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  return true;
}

void StopSignals::uninstall() {
  if (pipeFds[0] < 0) return;
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
  if (pipeFds[0] < 0) return;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::drain);
}

StopSignals::~StopSignals() = default;

void StopSignals::drain() {
  unsigned char buffer[16];
  int last = 0;
  for (;;) {
    ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    last = buffer[n - 1];
  }
  if (last != 0) Q_EMIT stopRequested(last);
}

}  // namespace kovra::ui
