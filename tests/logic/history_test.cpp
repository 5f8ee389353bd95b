#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "logic/history_buffers.h"
#include "logic/rate_smoother.h"
#include "logic/ring_buffer.h"

namespace kovra {
namespace {

using std::chrono::seconds;

const Date kStart = Date(seconds(1767225600));

TEST(RingBuffer, OverwritesOldestAndReadsNewestFirst) {
  MantikRingBuffer<std::string> ring(3, "filler");
  EXPECT_EQ(ring.count(), 0u);
  for (const char* s : {"a", "b", "c", "d"}) ring.append(s);
  EXPECT_EQ(ring.count(), 3u);
  EXPECT_EQ(ring.nextIndex(), 1u);
  EXPECT_EQ(ring.fromNewest(0), "d");
  EXPECT_EQ(ring.fromNewest(1), "c");
  EXPECT_EQ(ring.fromNewest(2), "b");

  ring.clear();
  EXPECT_EQ(ring.count(), 0u);
  ring.append("e");
  EXPECT_EQ(ring.count(), 1u);
  EXPECT_EQ(ring.fromNewest(0), "e");
}

TEST(RingBuffer, ZeroCapacityBecomesOne) {
  MantikRingBuffer<int> ring(0, 0);
  EXPECT_EQ(ring.capacity(), 1u);
  ring.append(5);
  ring.append(6);
  EXPECT_EQ(ring.count(), 1u);
  EXPECT_EQ(ring.fromNewest(0), 6);
}

TEST(HistoryBuffers, OneHourCapacitiesFollowFloatingPointRounding) {
  MantikHistoryBuffers history(3600);
  EXPECT_EQ(history.ring(SeriesKind::memoryUsed).capacity(), 1982u);
  EXPECT_EQ(history.ring(SeriesKind::cpuUsage).capacity(), 3962u);
  EXPECT_EQ(history.ring(SeriesKind::networkDownload).capacity(), 3962u);
  EXPECT_EQ(history.ring(SeriesKind::networkUpload).capacity(), 3962u);
  // Unusable durations still give a working ring.
  EXPECT_EQ(MantikHistoryBuffers::capacityFor(SeriesKind::cpuUsage, 0), 1u);
  EXPECT_EQ(MantikHistoryBuffers::capacityFor(SeriesKind::cpuUsage, -5), 1u);
  EXPECT_EQ(MantikHistoryBuffers::capacityFor(SeriesKind::cpuUsage, std::nan("")), 1u);
}

TEST(HistoryBuffers, NonFiniteValuesAreDropped) {
  MantikHistoryBuffers history(60);
  EXPECT_FALSE(history.append(SeriesKind::cpuUsage, std::nan(""), kStart));
  EXPECT_FALSE(history.append(SeriesKind::cpuUsage, std::numeric_limits<double>::infinity(), kStart));
  EXPECT_EQ(history.ring(SeriesKind::cpuUsage).count(), 0u);
  EXPECT_TRUE(history.append(SeriesKind::cpuUsage, 0.5, kStart));
  EXPECT_EQ(history.ring(SeriesKind::cpuUsage).count(), 1u);
  // Series are independent.
  EXPECT_EQ(history.ring(SeriesKind::memoryUsed).count(), 0u);
}

TEST(HistoryBuffers, PointsSinceAreOldestFirstAndIncludeTheBoundary) {
  MantikHistoryBuffers history(60);
  EXPECT_TRUE(history.points(SeriesKind::networkDownload, kStart).empty());
  for (int i = 0; i < 10; ++i) history.append(SeriesKind::networkDownload, i, kStart + seconds(i));

  auto pts = history.points(SeriesKind::networkDownload, kStart + seconds(7));
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[0], (HistoryPoint{kStart + seconds(7), 7}));
  EXPECT_EQ(pts[2], (HistoryPoint{kStart + seconds(9), 9}));
  EXPECT_TRUE(history.points(SeriesKind::networkDownload, kStart + seconds(10)).empty());
  EXPECT_EQ(history.points(SeriesKind::networkDownload, kStart - seconds(100)).size(), 10u);
}

TEST(HistoryBuffers, FullRingOlderThanWindowGivesNothing) {
  MantikHistoryBuffers history(2);  // 4 slots for cpu
  for (int i = 0; i < 20; ++i) history.append(SeriesKind::cpuUsage, 0.1, kStart + seconds(i));
  EXPECT_EQ(history.ring(SeriesKind::cpuUsage).count(), history.ring(SeriesKind::cpuUsage).capacity());
  EXPECT_TRUE(history.points(SeriesKind::cpuUsage, kStart + seconds(100)).empty());
  // Only the newest slots are valid; the overwritten ones never come back.
  EXPECT_EQ(history.points(SeriesKind::cpuUsage, kStart).size(), 4u);
}

TEST(HistoryBuffers, WalkStopsAtFirstOlderPointAfterClockWasSetBack) {
  MantikHistoryBuffers history(60);
  history.append(SeriesKind::memoryUsed, 1, kStart + seconds(50));
  history.append(SeriesKind::memoryUsed, 2, kStart + seconds(10));  // clock set back
  history.append(SeriesKind::memoryUsed, 3, kStart + seconds(60));
  auto pts = history.points(SeriesKind::memoryUsed, kStart + seconds(40));
  ASSERT_EQ(pts.size(), 1u);
  EXPECT_EQ(pts[0].value, 3);
}

TEST(RateSmoother, AveragesTheLastThreeSamples) {
  MantikRateSmoother smoother;
  EXPECT_FALSE(smoother.average().has_value());
  smoother.samples.append({10, 0});
  EXPECT_EQ(smoother.average(), (NetworkRates{10, 0}));
  smoother.samples.append({20, 6});
  EXPECT_EQ(smoother.average(), (NetworkRates{15, 3}));
  smoother.samples.append({30, 0});
  smoother.samples.append({40, 0});
  EXPECT_EQ(smoother.average(), (NetworkRates{30, 2}));

  // Clearing forgets the old slots even though they keep their contents.
  smoother.clear();
  EXPECT_FALSE(smoother.average().has_value());
  smoother.samples.append({7, 1});
  EXPECT_EQ(smoother.average(), (NetworkRates{7, 1}));
}

}  // namespace
}  // namespace kovra
