#include "core/wake_plan.h"

#include <algorithm>
#include <cmath>

namespace kovra {

WakePlan::TaskId WakePlan::add(double deadline, double tolerance, Task task) {
  const TaskId id = nextId_++;
  const double slack = std::isfinite(tolerance) && tolerance > 0 ? tolerance : 0.0;
  const Key key{deadline, id};
  tasks_.emplace(key, Entry{deadline + slack, std::move(task)});
  keys_.emplace(id, key);
  return id;
}

bool WakePlan::cancel(TaskId id) {
  auto it = keys_.find(id);
  if (it == keys_.end()) return false;
  tasks_.erase(it->second);
  keys_.erase(it);
  return true;
}

std::optional<double> WakePlan::nextWake() const {
  if (tasks_.empty()) return std::nullopt;
  double earliestEnd = tasks_.begin()->second.latest;
  double tightest = tasks_.begin()->second.latest - tasks_.begin()->first.first;
  for (const auto& [key, entry] : tasks_) {
    earliestEnd = std::min(earliestEnd, entry.latest);
    tightest = std::min(tightest, entry.latest - key.first);
  }
  // Tasks are in deadline order: every task due by the earliest end runs in this wake, which comes
  // at the last of their deadlines.
  // (The earliest deadline is always among them: no window closes before it opens.)
  double lastDue = tasks_.begin()->first.first;
  double lastLatest = tasks_.begin()->second.latest;
  size_t due = 0;
  for (const auto& [key, entry] : tasks_) {
    if (key.first > earliestEnd) break;
    lastDue = key.first;
    lastLatest = entry.latest;
    ++due;
  }
  if (due > 1) return lastDue;
  // A task alone in its window: the one with the tightest window keeps time; any other runs at the
  // end of its window, so that over a few turns it drifts into step with the tighter loops and
  // later shares their wakes.
  return lastLatest - lastDue <= tightest ? lastDue : lastLatest;
}

std::optional<WakePlan::Task> WakePlan::popDue(double now) {
  if (tasks_.empty() || tasks_.begin()->first.first > now) return std::nullopt;
  auto node = tasks_.extract(tasks_.begin());
  keys_.erase(node.key().second);
  return std::move(node.mapped().task);
}

}  // namespace kovra
