#pragma once
// The main sequence on the Qt event loop: tasks run on the GUI thread. Delayed tasks share one
// timer that follows a wake plan, so tasks whose tolerances overlap run in one wake-up.

#include <QObject>
#include <QTimer>

#include "core/executor.h"
#include "core/wake_plan.h"

namespace kovra::ui {

class QtExecutor final : public QObject, public Executor {
  Q_OBJECT

 public:
  explicit QtExecutor(QObject* parent = nullptr);
  ~QtExecutor() override;

  void post(Task task) override;
  TaskId postAfter(double delaySeconds, double toleranceSeconds, Task task) override;
  void cancel(TaskId id) override;

  // Seconds on the monotonic clock the timer runs on.
  static double now();
  // Delayed tasks not run yet.
  size_t pendingCount() const { return plan_.size(); }

 private:
  void runDue();
  void arm();

  WakePlan plan_;
  QTimer timer_;
  double armedFor_ = 0;  // the wake the running timer was started for
};

}  // namespace kovra::ui
