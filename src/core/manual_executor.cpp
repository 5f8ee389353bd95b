#include "core/manual_executor.h"

#include <algorithm>
#include <cmath>

namespace kovra {

ManualExecutor::ManualExecutor(double startSeconds) : now_(startSeconds) {}

void ManualExecutor::post(Task task) {
  {
    std::lock_guard g(mutex_);
    ready_.push_back(std::move(task));
  }
  posted_.notify_all();
}

Executor::TaskId ManualExecutor::postAfter(double delaySeconds, double toleranceSeconds, Task task) {
  double delay = std::isfinite(delaySeconds) ? std::max(delaySeconds, 0.0) : 0.0;
  double tolerance = std::isfinite(toleranceSeconds) ? std::max(toleranceSeconds, 0.0) : 0.0;
  std::lock_guard g(mutex_);
  TaskId id = nextId_++;
  Key key{now() + delay, id};
  delayed_.emplace(key, Delayed{id, tolerance, std::move(task)});
  keys_.emplace(id, key);
  return id;
}

void ManualExecutor::cancel(TaskId id) {
  std::lock_guard g(mutex_);
  auto it = keys_.find(id);
  if (it == keys_.end()) return;
  delayed_.erase(it->second);
  keys_.erase(it);
}

bool ManualExecutor::runOne() {
  Task task;
  {
    std::lock_guard g(mutex_);
    if (!ready_.empty()) {
      task = std::move(ready_.front());
      ready_.pop_front();
    } else if (!delayed_.empty() && delayed_.begin()->first.first <= now()) {
      auto node = delayed_.extract(delayed_.begin());
      keys_.erase(node.mapped().id);
      task = std::move(node.mapped().task);
    } else {
      return false;
    }
  }
  if (task) task();
  return true;
}

size_t ManualExecutor::runPending() {
  size_t ran = 0;
  while (runOne()) ++ran;
  return ran;
}

size_t ManualExecutor::advance(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return runPending();
  return advanceTo(now() + seconds);
}

size_t ManualExecutor::advanceTo(double target) {
  size_t ran = runPending();
  for (;;) {
    std::optional<double> next = nextDeadline();
    if (!next || *next > target) break;
    if (*next > now()) now_.store(*next, std::memory_order_release);
    ran += runPending();
  }
  if (target > now()) now_.store(target, std::memory_order_release);
  return ran + runPending();
}

bool ManualExecutor::waitForPost(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, timeout, [this] { return !ready_.empty(); });
}

std::vector<ManualExecutor::Scheduled> ManualExecutor::scheduled() const {
  std::lock_guard g(mutex_);
  std::vector<Scheduled> out;
  out.reserve(delayed_.size());
  for (const auto& [key, d] : delayed_) out.push_back({d.id, key.first, d.tolerance});
  return out;
}

size_t ManualExecutor::postedCount() const {
  std::lock_guard g(mutex_);
  return ready_.size();
}

std::optional<double> ManualExecutor::nextDeadline() const {
  std::lock_guard g(mutex_);
  if (delayed_.empty()) return std::nullopt;
  return delayed_.begin()->first.first;
}

}  // namespace kovra
