#pragma once
// Delayed tasks and the moment to wake for them. Each task has a window: it may run from its
// deadline until its deadline plus its tolerance. Waking once for several tasks is what keeps an
// idle program from waking the processor more often than it must, so:
// - every task due before the earliest window closes runs in one wake, at the last of their
//   deadlines;
// - a task alone in its window runs at its deadline if no pending task has a tighter window, and
//   at the end of its window otherwise. Repeating tasks thereby fall into step with the tightest
//   one within a few turns, and from then on share its wakes.
//
// Not thread-safe: the owning executor guards it.

#include <cstddef>
#include <map>
#include <optional>
#include <utility>

#include "core/executor.h"

namespace kovra {

class WakePlan {
 public:
  using Task = Executor::Task;
  using TaskId = Executor::TaskId;

  // Adds a task due at `deadline` (seconds on the owner's clock) that may run up to `tolerance`
  // later. A tolerance that is negative or not a number counts as none.
  TaskId add(double deadline, double tolerance, Task task);
  // Drops a task not yet taken; false for unknown or already taken ids.
  bool cancel(TaskId id);

  // When to wake next (see above); nothing when the plan is empty.
  std::optional<double> nextWake() const;
  // Takes the earliest task due at `now` (deadline order, then order of adding), if any.
  std::optional<Task> popDue(double now);

  bool empty() const { return tasks_.empty(); }
  size_t size() const { return tasks_.size(); }

 private:
  using Key = std::pair<double, TaskId>;  // deadline, then order of adding
  struct Entry {
    double latest;  // deadline + tolerance
    Task task;
  };

  std::map<Key, Entry> tasks_;
  std::map<TaskId, Key> keys_;
  TaskId nextId_ = 1;
};

}  // namespace kovra
