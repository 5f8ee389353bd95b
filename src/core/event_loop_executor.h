#pragma once
// A plain headless main sequence: run() turns the loop on the calling thread until stop().
// Delayed tasks wait on a timer of the boot-time clock (which keeps counting while the machine
// sleeps), falling back to the monotonic clock; other threads wake the loop through an eventfd.

#include <atomic>
#include <deque>
#include <mutex>

#include "core/executor.h"
#include "core/wake_plan.h"

namespace kovra {

class EventLoopExecutor : public Executor {
 public:
  EventLoopExecutor();
  ~EventLoopExecutor() override;
  EventLoopExecutor(const EventLoopExecutor&) = delete;
  EventLoopExecutor& operator=(const EventLoopExecutor&) = delete;

  void post(Task task) override;
  TaskId postAfter(double delaySeconds, double toleranceSeconds, Task task) override;
  void cancel(TaskId id) override;

  // Runs tasks on the calling thread until stop(); returns at once when stop() came first.
  // Tasks still queued when it returns stay queued for a later run().
  void run();
  // Makes run() return after the task it is running, if any. Safe from any thread.
  void stop();

  // Seconds on the loop's clock (boot time or monotonic); safe from any thread.
  double now() const;

 private:
  void wake();
  void armTimer();
  void drainFds();
  bool runReady();
  bool runDue();

  int clockId_;
  int eventFd_ = -1;
  int timerFd_ = -1;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::deque<Task> ready_;
  WakePlan plan_;
};

}  // namespace kovra
