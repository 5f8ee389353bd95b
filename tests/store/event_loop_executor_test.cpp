#include "core/event_loop_executor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kovra {
namespace {

TEST(EventLoopExecutor, RunsPostsFromOtherThreadsUntilStopped) {
  EventLoopExecutor loop;
  std::vector<int> seen;  // touched only on the loop
  constexpr int kPerThread = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&loop, &seen, t] {
      for (int i = 0; i < kPerThread; ++i) loop.post([&seen, t, i] { seen.push_back(t * kPerThread + i); });
    });
  }
  std::thread stopper([&] {
    for (auto& th : threads) th.join();
    loop.post([&loop] { loop.stop(); });
  });
  loop.run();
  stopper.join();
  ASSERT_EQ(seen.size(), 2u * kPerThread);
  // Each thread's posts keep their order.
  int last[2] = {-1, -1};
  for (int v : seen) {
    int t = v / kPerThread;
    EXPECT_GT(v, last[t]);
    last[t] = v;
  }
}

TEST(EventLoopExecutor, DelayedTasksRunInDeadlineOrderAndCancelledOnesNever) {
  EventLoopExecutor loop;
  std::vector<int> seen;
  double start = loop.now();
  double firedAt = 0;
  loop.postAfter(0.03, 0.003, [&] { seen.push_back(3); firedAt = loop.now(); loop.stop(); });
  auto dropped = loop.postAfter(0.01, 0, [&] { seen.push_back(99); });
  loop.postAfter(0.02, 0, [&] { seen.push_back(2); });
  loop.post([&] { seen.push_back(1); });
  loop.cancel(dropped);
  loop.run();
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  EXPECT_GE(firedAt - start, 0.03);
}

TEST(EventLoopExecutor, StopBeforeRunReturnsAtOnceAndKeepsTasks) {
  EventLoopExecutor loop;
  int ran = 0;
  loop.stop();
  loop.post([&] { ++ran; });
  loop.run();
  EXPECT_EQ(ran, 0);
  loop.post([&] { loop.stop(); });
  loop.run();
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace kovra
