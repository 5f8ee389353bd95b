#include "ui/common/qt_executor.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kovra::ui {

namespace {

// Qt timers count whole milliseconds, so a wake can come up to one early; tasks that close to
// their deadline run in that wake instead of costing another one.
constexpr double kTimerResolution = 0.001;

}  // namespace

QtExecutor::QtExecutor(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  // The plan already chose the moment; a coarse timer would move it again.
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &QtExecutor::runDue);
}

QtExecutor::~QtExecutor() = default;

double QtExecutor::now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void QtExecutor::post(Task task) {
  // Queued to this object's thread (the GUI thread), whichever thread posts.
  QMetaObject::invokeMethod(this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

Executor::TaskId QtExecutor::postAfter(double delaySeconds, double toleranceSeconds, Task task) {
  const double delay = std::isfinite(delaySeconds) ? std::max(0.0, delaySeconds) : 0.0;
  const TaskId id = plan_.add(now() + delay, toleranceSeconds, std::move(task));
  arm();
  return id;
}

void QtExecutor::cancel(TaskId id) {
  if (plan_.cancel(id)) arm();
}

void QtExecutor::runDue() {
  const double wakeTime = now() + kTimerResolution;
  // Tasks added meanwhile with a later deadline wait for the next wake. A task may turn a nested
  // event loop (a modal dialog); the timer stays armed for the others meanwhile.
  while (auto task = plan_.popDue(wakeTime)) {
    arm();
    if (*task) (*task)();
  }
  arm();
}

void QtExecutor::arm() {
  auto wake = plan_.nextWake();
  if (!wake) {
    timer_.stop();
    return;
  }
  if (timer_.isActive() && armedFor_ == *wake) return;
  armedFor_ = *wake;
  const double wait = std::max(0.0, *wake - now());
  timer_.start(static_cast<int>(std::min(std::ceil(wait * 1000.0), 2.0e9)));
}

}  // namespace kovra::ui
