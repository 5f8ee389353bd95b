#include "ui/common/qt_executor.h"

#include <QMetaObject>
#include <QTimer>

#include <cmath>

namespace kovra::ui {

QtExecutor::QtExecutor(QObject* parent) : QObject(parent) {}

QtExecutor::~QtExecutor() {
  for (auto& [id, timer] : timers_) delete timer;
}

void QtExecutor::post(Task task) {
  // Queued to this object's thread (the GUI thread), whichever thread posts.
  QMetaObject::invokeMethod(this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

Executor::TaskId QtExecutor::postAfter(double delaySeconds, double toleranceSeconds, Task task) {
  const TaskId id = nextId_++;
  auto* timer = new QTimer;
  timer->setSingleShot(true);
  // A coarse timer may fire up to 5 % late, which lets Qt bundle wake-ups; only ask for it when
  // the caller allows at least that much.
  const double delay = std::max(0.0, delaySeconds);
  timer->setTimerType(toleranceSeconds >= delay * 0.05 && delay >= 0.02 ? Qt::CoarseTimer : Qt::PreciseTimer);
  timer->setInterval(static_cast<int>(std::ceil(delay * 1000.0)));
  connect(timer, &QTimer::timeout, this, [this, id, task = std::move(task)] {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->deleteLater();
    timers_.erase(it);
    task();
  });
  timers_.emplace(id, timer);
  timer->start();
  return id;
}

void QtExecutor::cancel(TaskId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

}  // namespace kovra::ui
