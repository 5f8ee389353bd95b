#pragma once
// A main sequence driven by hand, with virtual time, for tests: nothing runs until the test calls
// runPending() or advance(). Delayed tasks run exactly at their deadline (the tolerance is kept
// only so tests can look at it). post() may be called from any thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "core/executor.h"

namespace kovra {

class ManualExecutor : public Executor {
 public:
  // `startSeconds` is the virtual time at construction.
  explicit ManualExecutor(double startSeconds = 0);

  void post(Task task) override;
  TaskId postAfter(double delaySeconds, double toleranceSeconds, Task task) override;
  void cancel(TaskId id) override;

  // Virtual seconds; safe to read from any thread. Use it as the uptime of a test clock so that
  // the store's durations and the executor's deadlines agree.
  double now() const { return now_.load(std::memory_order_acquire); }

  // Runs posted tasks and delayed tasks already due, including whatever they post, until none is
  // left. Returns how many ran.
  size_t runPending();
  // Moves time forward by `seconds`, running each delayed task at its own deadline in deadline
  // order (posted tasks run in between), and ends at now() + seconds with nothing pending due.
  size_t advance(double seconds);
  // advance() up to an absolute virtual time (no-op when it lies in the past).
  size_t advanceTo(double seconds);

  // Blocks until some other thread has posted a task (or `timeout` passes); true when one is
  // queued. For tests whose work finishes on other threads.
  bool waitForPost(std::chrono::milliseconds timeout);

  // Introspection for tests.
  struct Scheduled {
    TaskId id = 0;
    double deadline = 0;
    double tolerance = 0;
  };
  std::vector<Scheduled> scheduled() const;  // delayed tasks not run yet, earliest first
  size_t postedCount() const;                // posted tasks not run yet
  std::optional<double> nextDeadline() const;

 private:
  struct Delayed {
    TaskId id;
    double tolerance;
    Task task;
  };
  using Key = std::pair<double, TaskId>;  // deadline, then order of scheduling

  bool runOne();

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::atomic<double> now_;
  std::deque<Task> ready_;
  std::map<Key, Delayed> delayed_;
  std::map<TaskId, Key> keys_;
  TaskId nextId_ = 1;
};

}  // namespace kovra
