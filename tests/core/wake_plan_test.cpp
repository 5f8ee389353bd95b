#include "core/wake_plan.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kovra {
namespace {

// Runs every task due at the plan's next wake, the way an executor's timer would.
void wakeOnce(WakePlan& plan, double& now) {
  now = *plan.nextWake();
  while (auto task = plan.popDue(now)) (*task)();
}

TEST(WakePlan, ALoneTaskRunsAtItsDeadlineAndAnOverlappingOneJoinsIt) {
  WakePlan plan;
  EXPECT_FALSE(plan.nextWake());
  std::vector<std::string> ran;
  plan.add(10, 1, [&] { ran.push_back("a"); });
  EXPECT_EQ(plan.nextWake(), 10);  // not held back to the end of its tolerance

  // b is due inside a's window: one wake at b's deadline serves both.
  plan.add(10.5, 0.1, [&] { ran.push_back("b"); });
  EXPECT_EQ(plan.nextWake(), 10.5);
  // c is due after both windows close: it waits for a wake of its own.
  plan.add(11.7, 5, [&] { ran.push_back("c"); });
  EXPECT_EQ(plan.nextWake(), 10.5);
  EXPECT_FALSE(plan.popDue(9.9));
  while (auto task = plan.popDue(10.5)) (*task)();
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(plan.nextWake(), 11.7);
}

TEST(WakePlan, ALooserTaskAloneInItsWindowWaitsForItsEndWhileATighterOneKeepsTime) {
  WakePlan plan;
  plan.add(5, 0.1, [] {});
  plan.add(1, 0.5, [] {});
  EXPECT_EQ(plan.nextWake(), 1.5);
  ASSERT_TRUE(plan.popDue(1.5));
  EXPECT_EQ(plan.nextWake(), 5);
}

TEST(WakePlan, ATaskWithoutToleranceIsNeverLateAndOrderFollowsDeadlinesThenAdding) {
  WakePlan plan;
  std::vector<int> ran;
  plan.add(2, 0, [&] { ran.push_back(1); });
  plan.add(1, std::numeric_limits<double>::quiet_NaN(), [&] { ran.push_back(2); });  // counts as none
  plan.add(1, -3, [&] { ran.push_back(3); });
  plan.add(1.5, 10, [&] { ran.push_back(4); });
  EXPECT_EQ(plan.nextWake(), 1);
  while (auto task = plan.popDue(1)) (*task)();
  EXPECT_EQ(ran, (std::vector<int>{2, 3}));
  EXPECT_EQ(plan.nextWake(), 2);  // 4 waits inside its window for 1, which cannot be late
  while (auto task = plan.popDue(2)) (*task)();
  EXPECT_EQ(ran, (std::vector<int>{2, 3, 4, 1}));
  EXPECT_TRUE(plan.empty());
}

TEST(WakePlan, CancellingDropsTheTaskAndMovesTheWake) {
  WakePlan plan;
  int ran = 0;
  auto early = plan.add(1, 0, [&] { ++ran; });
  plan.add(3, 0, [&] { ran += 10; });
  EXPECT_TRUE(plan.cancel(early));
  EXPECT_FALSE(plan.cancel(early));
  EXPECT_FALSE(plan.cancel(12345));
  EXPECT_EQ(plan.nextWake(), 3);
  EXPECT_FALSE(plan.popDue(2.9));
  while (auto task = plan.popDue(3)) (*task)();
  EXPECT_EQ(ran, 10);
}

// The loops of an idle tray item: network every second, memory every two, the label tick every
// two with a wider tolerance. Each re-arms after it ran (plus the time its turn took). They fall
// into step, so the program wakes once per network turn, and every task still runs inside its
// window.
TEST(WakePlan, RepeatingLoopsFallIntoStepAndEachRunsInsideItsWindow) {
  struct Loop {
    double interval, tolerance, turn, startAt;
    int runs = 0;
  };
  std::vector<Loop> loops{{1, 0.1, 0.0003, 0.37}, {2, 0.2, 0.0002, 0.0}, {2, 0.5, 0.0001, 1.21}};
  WakePlan plan;
  double now = 0;
  int wakes = 0;
  double worstLateness = 0, worstEarliness = 0;
  std::function<void(size_t, double)> arm = [&](size_t i, double deadline) {
    plan.add(deadline, loops[i].tolerance, [&, i, deadline] {
      ++loops[i].runs;
      worstEarliness = std::max(worstEarliness, deadline - now);
      worstLateness = std::max(worstLateness, now - deadline - loops[i].tolerance);
      arm(i, now + loops[i].turn + loops[i].interval);
    });
  };
  for (size_t i = 0; i < loops.size(); ++i) arm(i, loops[i].startAt);
  while (now < 600) {
    ++wakes;
    wakeOnce(plan, now);
  }
  EXPECT_LE(worstEarliness, 0.0);
  EXPECT_LE(worstLateness, 1e-9);
  EXPECT_GE(loops[0].runs, 540);  // about one network turn a second, at most 10 % slower
  EXPECT_GE(loops[1].runs, 270);
  EXPECT_GE(loops[2].runs, 240);
  // Without joining, the three would need about 1.9 wakes a second; in step they need one per
  // network turn, give or take the first few while they settle.
  EXPECT_LE(wakes, loops[0].runs + 5);
}

}  // namespace
}  // namespace kovra
