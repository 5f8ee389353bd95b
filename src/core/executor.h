#pragma once
// The main sequence: everything the store and the models own is touched only from tasks run
// here. Implementations: a plain event loop (headless), a manual one with virtual time (tests),
// and the Qt event loop (front end).

#include <cstdint>
#include <functional>

namespace kovra {

class Executor {
 public:
  using Task = std::function<void()>;
  using TaskId = uint64_t;

  virtual ~Executor() = default;

  // Queues `task` to run on the main sequence. Safe to call from any thread.
  virtual void post(Task task) = 0;
  // Runs `task` on the main sequence once `delaySeconds` have passed on the monotonic clock; it may
  // run up to `toleranceSeconds` late. Main sequence only.
  virtual TaskId postAfter(double delaySeconds, double toleranceSeconds, Task task) = 0;
  // Drops a delayed task that has not run yet; unknown or finished ids are ignored.
  virtual void cancel(TaskId id) = 0;
};

}  // namespace kovra
