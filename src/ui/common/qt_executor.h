#pragma once
// The main sequence on the Qt event loop: tasks run on the GUI thread, delayed tasks on Qt timers.

#include <QObject>
#include <QPointer>

#include <unordered_map>

#include "core/executor.h"

class QTimer;

namespace kovra::ui {

class QtExecutor final : public QObject, public Executor {
  Q_OBJECT

 public:
  explicit QtExecutor(QObject* parent = nullptr);
  ~QtExecutor() override;

  void post(Task task) override;
  TaskId postAfter(double delaySeconds, double toleranceSeconds, Task task) override;
  void cancel(TaskId id) override;

 private:
  std::unordered_map<TaskId, QTimer*> timers_;
  TaskId nextId_ = 1;
};

}  // namespace kovra::ui
