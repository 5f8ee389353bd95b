#include "ui/common/qt_executor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace kovra::ui {
namespace {

// Turns the event loop until `done` or the safety limit (a hung test, not a timing assertion).
template <class Pred>
void spinUntil(Pred done) {
  QElapsedTimer limit;
  limit.start();
  while (!done() && limit.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

TEST(QtExecutor, RunsPostedTasksInOrderOnTheGuiThreadFromAnyThread) {
  QtExecutor executor;
  std::vector<int> order;
  std::vector<bool> onGui;
  executor.post([&] { order.push_back(1); });
  std::thread worker([&] {
    executor.post([&] {
      order.push_back(2);
      onGui.push_back(QThread::currentThread() == qApp->thread());
    });
  });
  worker.join();
  spinUntil([&] { return order.size() == 2; });
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(onGui, std::vector<bool>{true});
}

TEST(QtExecutor, CancelledDelayedTaskNeverRunsAndOthersDo) {
  QtExecutor executor;
  int ran = 0, cancelled = 0;
  auto id = executor.postAfter(0.01, 0, [&] { ++cancelled; });
  executor.postAfter(0.02, 0, [&] { ++ran; });
  executor.cancel(id);
  executor.cancel(id);      // twice is harmless
  executor.cancel(999999);  // unknown is ignored
  spinUntil([&] { return ran == 1; });
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(cancelled, 0);
}

// A task posted from a delayed task runs after every delayed task of the same wake-up: the order
// shows which tasks shared one.
TEST(QtExecutor, DelayedTasksWithOverlappingWindowsShareOneWakeUp) {
  QtExecutor executor;
  std::vector<std::string> order;
  auto first = [&] {
    order.push_back("a");
    executor.post([&] { order.push_back("posted"); });
  };
  executor.postAfter(0.02, 0.2, first);
  executor.postAfter(0.05, 0.01, [&] { order.push_back("b"); });
  spinUntil([&] { return order.size() == 3; });
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "posted"}));

  // Windows that do not overlap: two wake-ups, the posted task in between.
  order.clear();
  executor.postAfter(0.02, 0, first);
  executor.postAfter(0.4, 0, [&] { order.push_back("b"); });
  spinUntil([&] { return order.size() == 3; });
  EXPECT_EQ(order, (std::vector<std::string>{"a", "posted", "b"}));
  EXPECT_EQ(executor.pendingCount(), 0u);
}

TEST(QtExecutor, DestroyingTheExecutorDropsPendingTimers) {
  int ran = 0;
  {
    QtExecutor executor;
    executor.postAfter(0.01, 0, [&] { ++ran; });
  }
  QTimer::singleShot(30, [] {});
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace kovra::ui
