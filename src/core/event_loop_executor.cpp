#include "core/event_loop_executor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <system_error>

namespace kovra {

namespace {

double secondsOn(int clockId) {
  timespec ts{};
  ::clock_gettime(clockId, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

timespec toTimespec(double seconds) {
  timespec ts{};
  double whole = std::floor(seconds);
  ts.tv_sec = static_cast<time_t>(whole);
  ts.tv_nsec = static_cast<long>((seconds - whole) * 1e9);
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  // An all-zero value would disarm the timer instead of firing it.
  if (ts.tv_sec == 0 && ts.tv_nsec == 0) ts.tv_nsec = 1;
  return ts;
}

}  // namespace

EventLoopExecutor::EventLoopExecutor() : clockId_(CLOCK_BOOTTIME) {
  eventFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (eventFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  timerFd_ = ::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timerFd_ < 0) {
    clockId_ = CLOCK_MONOTONIC;
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  }
  if (timerFd_ < 0) {
    int err = errno;
    ::close(eventFd_);
    throw std::system_error(err, std::generic_category(), "timerfd_create");
  }
}

EventLoopExecutor::~EventLoopExecutor() {
  ::close(timerFd_);
  ::close(eventFd_);
}

double EventLoopExecutor::now() const { return secondsOn(clockId_); }

void EventLoopExecutor::wake() {
  uint64_t one = 1;
  (void)!::write(eventFd_, &one, sizeof one);
}

void EventLoopExecutor::post(Task task) {
  {
    std::lock_guard g(mutex_);
    ready_.push_back(std::move(task));
  }
  wake();
}

Executor::TaskId EventLoopExecutor::postAfter(double delaySeconds, double toleranceSeconds, Task task) {
  double delay = std::isfinite(delaySeconds) ? std::max(delaySeconds, 0.0) : 0.0;
  TaskId id = 0;
  {
    std::lock_guard g(mutex_);
    id = plan_.add(now() + delay, toleranceSeconds, std::move(task));
  }
  wake();  // the loop re-arms its timer for the plan's new wake
  return id;
}

void EventLoopExecutor::cancel(TaskId id) {
  std::lock_guard g(mutex_);
  plan_.cancel(id);
}

void EventLoopExecutor::stop() {
  stopping_.store(true, std::memory_order_release);
  wake();
}

void EventLoopExecutor::armTimer() {
  itimerspec when{};
  {
    std::lock_guard g(mutex_);
    if (auto next = plan_.nextWake()) when.it_value = toTimespec(*next);
  }
  ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

void EventLoopExecutor::drainFds() {
  uint64_t count = 0;
  while (::read(eventFd_, &count, sizeof count) > 0) {
  }
  while (::read(timerFd_, &count, sizeof count) > 0) {
  }
}

bool EventLoopExecutor::runReady() {
  std::deque<Task> batch;
  {
    std::lock_guard g(mutex_);
    batch.swap(ready_);
  }
  bool ran = !batch.empty();
  while (!batch.empty()) {
    if (stopping_.load(std::memory_order_acquire)) {
      // Put the rest back in front of anything posted meanwhile, in order.
      std::lock_guard g(mutex_);
      while (!batch.empty()) {
        ready_.push_front(std::move(batch.back()));
        batch.pop_back();
      }
      break;
    }
    Task task = std::move(batch.front());
    batch.pop_front();
    if (task) task();
  }
  return ran;
}

bool EventLoopExecutor::runDue() {
  bool ran = false;
  while (!stopping_.load(std::memory_order_acquire)) {
    Task task;
    {
      std::lock_guard g(mutex_);
      auto due = plan_.popDue(now());
      if (!due) break;
      task = std::move(*due);
    }
    ran = true;
    if (task) task();
  }
  return ran;
}

void EventLoopExecutor::run() {
  while (!stopping_.load(std::memory_order_acquire)) {
    runReady();
    runDue();
    if (stopping_.load(std::memory_order_acquire)) break;
    armTimer();
    {
      // Something may have been posted while the timer was armed; the eventfd still holds its
      // wake-up, so poll returns at once in that case.
      pollfd fds[2] = {{eventFd_, POLLIN, 0}, {timerFd_, POLLIN, 0}};
      int rc = ::poll(fds, 2, -1);
      if (rc < 0 && errno != EINTR) break;
    }
    drainFds();
  }
  stopping_.store(false, std::memory_order_release);
}

}  // namespace kovra
