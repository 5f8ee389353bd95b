#include <gtest/gtest.h>

#include <cmath>

#include "logic/clock.h"
#include "logic/cpu_high_tracker.h"

namespace kovra {
namespace {

TEST(MantikClock, SystemClockIsMonotonicUptimeAndWallTime) {
  MantikClock clock = MantikClock::system();
  const double a = clock.uptime();
  const double b = clock.uptime();
  EXPECT_GT(a, 0);
  EXPECT_GE(b, a);
  const auto wall = clock.now();
  EXPECT_LE(std::chrono::abs(wall - std::chrono::system_clock::now()), std::chrono::seconds(5));
}

TEST(MantikClock, ManualClockDrivesEveryCopy) {
  MantikManualClock manual(100);
  MantikClock clock = manual.clock();
  const Date start = clock.now();
  manual.advance(2.5);
  EXPECT_DOUBLE_EQ(clock.uptime(), 102.5);
  EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(2500));
  manual.setUptime(7);
  manual.setNow(MantikManualClock::defaultStart());
  EXPECT_DOUBLE_EQ(clock.uptime(), 7);
  EXPECT_EQ(clock.now(), MantikManualClock::defaultStart());
}

MantikCPUHighTracker feed(double from, double to, double usage, MantikCPUHighTracker t = {}) {
  for (double s = from; s <= to; s += 1) t.observe(usage, s);
  return t;
}

TEST(CPUHighTracker, SustainedAfterThirtySecondsAbove) {
  auto t = feed(0, 29, 0.9);
  EXPECT_FALSE(t.isSustained(29));
  t.observe(0.9, 30);
  EXPECT_TRUE(t.isSustained(30));
  // Readings that stop for more than the allowed gap are stale.
  EXPECT_TRUE(t.isSustained(35));
  EXPECT_FALSE(t.isSustained(35.5));
}

TEST(CPUHighTracker, GapRestartsTheStretch) {
  auto t = feed(0, 10, 0.9);
  t = feed(17, 46, 0.9, t);
  EXPECT_EQ(t.highSince, 17);
  EXPECT_FALSE(t.isSustained(46));
  t.observe(0.9, 47);
  EXPECT_TRUE(t.isSustained(47));
}

TEST(CPUHighTracker, ThresholdNaNAndFailuresClearTheStretch) {
  auto t = feed(0, 40, 0.9);
  ASSERT_TRUE(t.isSustained(40));
  t.observe(0.8, 41);  // exactly the threshold is not high
  EXPECT_FALSE(t.highSince.has_value());
  EXPECT_FALSE(t.isSustained(41));

  t = feed(0, 40, 0.9);
  t.observe(std::nan(""), 41);
  EXPECT_FALSE(t.isSustained(41));

  t = feed(0, 40, 0.9);
  t.reset(41);
  EXPECT_FALSE(t.isSustained(41));
  EXPECT_EQ(t.lastSample, 41);
  // After a failure the next high reading starts a new stretch.
  t.observe(0.9, 42);
  EXPECT_EQ(t.highSince, 42);
}

}  // namespace
}  // namespace kovra
