#pragma once
// The store running live without a front end: the headless event loop is the main sequence, the
// samplers run on their own threads, and SIGINT or SIGTERM end the run.

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <signal.h>

#include "core/event_loop_executor.h"
#include "core/sampler_set.h"
#include "logic/app_settings.h"
#include "logic/notifying.h"
#include "store/store.h"

namespace kovra {

class HeadlessRun {
 public:
  struct Options {
    // Surfaces that count as visible for the whole run (menuPanel samples every quantity).
    std::vector<Surface> visibleSurfaces;
    // SIGINT and SIGTERM end run(). They are blocked in this thread (and so in every thread
    // started after construction) and taken by a waiting thread.
    bool stopOnSignals = true;
    // Start the store even when the environment marks a test run.
    bool ignoreRunMode = false;
  };

  HeadlessRun(SamplerSet samplers, std::shared_ptr<SettingsContract> settings,
              std::shared_ptr<MantikNotifying> notifier, Options options);
  ~HeadlessRun();
  HeadlessRun(const HeadlessRun&) = delete;
  HeadlessRun& operator=(const HeadlessRun&) = delete;

  Store& store() { return *store_; }
  EventLoopExecutor& executor() { return executor_; }

  // Starts the store, reports the visible surfaces and turns the loop until stop() or a signal.
  // Returns the exit status (0).
  int run();
  // Safe from any thread.
  void stop() { executor_.stop(); }

 private:
  void watchSignals();

  Options options_;
  EventLoopExecutor executor_;
  sigset_t previousMask_{};
  std::atomic<bool> finishing_{false};
  std::thread signalWaiter_;
  std::unique_ptr<Store> store_;
};

}  // namespace kovra
