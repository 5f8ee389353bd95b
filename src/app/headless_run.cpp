#include "app/headless_run.h"

#include <pthread.h>

#include "core/log.h"
#include "logic/clock.h"

namespace kovra {

namespace {

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

HeadlessRun::HeadlessRun(SamplerSet samplers, std::shared_ptr<SettingsContract> settings,
                         std::shared_ptr<MantikNotifying> notifier, Options options)
    : options_(std::move(options)) {
  // Before any sampler thread exists, so that they all inherit the blocked signals.
  if (options_.stopOnSignals) watchSignals();
  store_ = std::make_unique<Store>(std::move(samplers), std::move(settings), std::move(notifier), MantikClock::system(),
                                   1.0, StoreEnvironment{executor_, nullptr, std::nullopt});
}

HeadlessRun::~HeadlessRun() {
  store_.reset();  // joins the sampler threads and a running scan
  if (signalWaiter_.joinable()) {
    finishing_ = true;
    pthread_kill(signalWaiter_.native_handle(), SIGTERM);
    signalWaiter_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  }
}

void HeadlessRun::watchSignals() {
  sigset_t set = stopSignals();
  if (pthread_sigmask(SIG_BLOCK, &set, &previousMask_) != 0) return;
  signalWaiter_ = std::thread([this, set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) return;
      if (finishing_) return;
      Log::store.info(signal == SIGINT ? "SIGINT alındı, duruluyor." : "SIGTERM alındı, duruluyor.");
      executor_.stop();
    }
  });
}

int HeadlessRun::run() {
  for (Surface s : options_.visibleSurfaces) store_->setVisible(s, true);
  if (options_.ignoreRunMode) {
    store_->startIgnoringRunMode();
  } else {
    store_->start();
  }
  executor_.run();
  return 0;
}

}  // namespace kovra
