#include "core/manual_executor.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace kovra {
namespace {

TEST(ManualExecutor, RunsDelayedTasksInDeadlineOrderAtTheirOwnTime) {
  ManualExecutor ex(100);
  std::vector<std::string> seen;
  ex.postAfter(3, 0.3, [&] { seen.push_back("c@" + std::to_string(static_cast<int>(ex.now()))); });
  ex.postAfter(1, 0.1, [&] {
    seen.push_back("a@" + std::to_string(static_cast<int>(ex.now())));
    // A task posted by a delayed task runs before time moves on.
    ex.post([&] { seen.push_back("a-post@" + std::to_string(static_cast<int>(ex.now()))); });
    ex.postAfter(1, 0, [&] { seen.push_back("b@" + std::to_string(static_cast<int>(ex.now()))); });
  });
  EXPECT_EQ(ex.runPending(), 0u);  // nothing due yet
  ex.advance(5);
  EXPECT_EQ(seen, (std::vector<std::string>{"a@101", "a-post@101", "b@102", "c@103"}));
  EXPECT_DOUBLE_EQ(ex.now(), 105);
}

TEST(ManualExecutor, EqualDeadlinesRunInSchedulingOrderAndCancelDropsATask) {
  ManualExecutor ex;
  std::vector<int> seen;
  ex.postAfter(1, 0, [&] { seen.push_back(1); });
  auto dropped = ex.postAfter(1, 0, [&] { seen.push_back(2); });
  ex.postAfter(1, 0, [&] { seen.push_back(3); });
  ex.cancel(dropped);
  ex.cancel(dropped);  // unknown now: ignored
  ex.cancel(9999);
  ASSERT_EQ(ex.scheduled().size(), 2u);
  ex.advance(0.999);
  EXPECT_TRUE(seen.empty());
  ex.advance(0.001);
  EXPECT_EQ(seen, (std::vector<int>{1, 3}));
  EXPECT_FALSE(ex.nextDeadline());
}

TEST(ManualExecutor, KeepsTolerancesAndClampsBadDelays) {
  ManualExecutor ex(10);
  ex.postAfter(2, 0.2, [] {});
  ex.postAfter(-5, -1, [] {});
  ex.postAfter(std::numeric_limits<double>::quiet_NaN(), 0, [] {});
  auto s = ex.scheduled();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_DOUBLE_EQ(s[0].deadline, 10);
  EXPECT_DOUBLE_EQ(s[0].tolerance, 0);
  EXPECT_DOUBLE_EQ(s[2].deadline, 12);
  EXPECT_DOUBLE_EQ(s[2].tolerance, 0.2);
  EXPECT_EQ(ex.runPending(), 2u);
}

TEST(ManualExecutor, TakesPostsFromOtherThreads) {
  ManualExecutor ex;
  int count = 0;
  std::thread other([&] {
    for (int i = 0; i < 100; ++i) ex.post([&] { ++count; });
  });
  other.join();
  EXPECT_TRUE(ex.waitForPost(std::chrono::milliseconds(0)));
  EXPECT_EQ(ex.runPending(), 100u);
  EXPECT_EQ(count, 100);
  EXPECT_FALSE(ex.waitForPost(std::chrono::milliseconds(0)));
}

}  // namespace
}  // namespace kovra
