#include "present/chart_data.h"
#include "present/chart_geometry.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kovra {
namespace {

using std::chrono::milliseconds;

const Date kT0 = Date{} + std::chrono::hours(24 * 365 * 56);

Date at(double seconds) { return kT0 + milliseconds(static_cast<int64_t>(seconds * 1000)); }

std::vector<HistoryPoint> evenly(size_t n, double spacing, double value = 1) {
  std::vector<HistoryPoint> out;
  for (size_t i = 0; i < n; ++i) out.push_back({at(static_cast<double>(i) * spacing), value});
  return out;
}

TEST(ChartData, GapOfFiveSecondsKeepsSegmentButLongerBreaksIt) {
  auto five = ArayuzChartData::prepare({{at(0), 1}, {at(5.0), 2}}, "cpuUsage", ArayuzPalette::cpu, 300, 0);
  ASSERT_EQ(five.size(), 2u);
  EXPECT_EQ(five[0].series, "cpuUsage-0");
  EXPECT_EQ(five[1].series, "cpuUsage-0");

  auto longer = ArayuzChartData::prepare({{at(0), 1}, {at(5.1), 2}}, "cpuUsage", ArayuzPalette::cpu, 300, 0);
  ASSERT_EQ(longer.size(), 2u);
  EXPECT_EQ(longer[0].series, "cpuUsage-0");
  EXPECT_EQ(longer[1].series, "cpuUsage-1");
  EXPECT_EQ(ArayuzSparkSegment::make(longer, 1, 60, at(60)).size(), 2u);
}

TEST(ChartData, BucketsAverageAndNeverCrossAGap) {
  auto none = ArayuzChartData::prepare(evenly(299, 1), "k", ArayuzPalette::cpu, 300, 0);
  EXPECT_EQ(none.size(), 299u);

  // 3600 one-second points into 300 means of 12.
  auto hour = evenly(3600, 1);
  for (size_t i = 0; i < hour.size(); ++i) hour[i].value = static_cast<double>(i % 12);
  auto thinned = ArayuzChartData::prepare(hour, "k", ArayuzPalette::cpu, 300, 0);
  ASSERT_EQ(thinned.size(), 300u);
  EXPECT_DOUBLE_EQ(thinned[0].value, 5.5);
  EXPECT_EQ(thinned[0].time, at(11));
  EXPECT_EQ(thinned.back().time, at(3599));

  // Buckets of 2 over five points with a pause after the third: [a b] [c] | [d e].
  std::vector<HistoryPoint> paused{{at(0), 1}, {at(1), 3}, {at(2), 10}, {at(20), 4}, {at(21), 6}};
  auto p = ArayuzChartData::prepare(paused, "net", ArayuzPalette::download, 3, 7);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_DOUBLE_EQ(p[0].value, 2);
  EXPECT_DOUBLE_EQ(p[1].value, 10);
  EXPECT_EQ(p[1].time, at(2));
  EXPECT_EQ(p[1].series, "net-0");
  EXPECT_DOUBLE_EQ(p[2].value, 5);
  EXPECT_EQ(p[2].series, "net-1");
  EXPECT_EQ(p[0].id, 7);
  EXPECT_EQ(p[2].id, 9);
  EXPECT_EQ(p[2].color, ArayuzPalette::download);

  // A maxCount below 2 folds everything into one mean.
  auto one = ArayuzChartData::prepare(evenly(10, 1, 2), "k", ArayuzPalette::cpu, 0, 0);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_DOUBLE_EQ(one[0].value, 2);
  EXPECT_TRUE(ArayuzChartData::prepare({}, "k", ArayuzPalette::cpu, 300, 0).empty());
}

TEST(ChartData, TopOfScale) {
  std::vector<ArayuzChartPoint> zeros(3);
  EXPECT_DOUBLE_EQ(ArayuzChartData::yMax(zeros, std::nullopt, 50000), 50000);
  EXPECT_DOUBLE_EQ(ArayuzChartData::yMax({}, std::nullopt, 50000), 50000);
  EXPECT_DOUBLE_EQ(ArayuzChartData::yMax({}, std::nullopt, -1), 0);
  EXPECT_DOUBLE_EQ(ArayuzChartData::yMax(zeros, 1.0, 1.0), 1.0);
  std::vector<ArayuzChartPoint> big(1);
  big[0].value = 100000;
  EXPECT_DOUBLE_EQ(ArayuzChartData::yMax(big, std::nullopt, 50000), 115000);
}

TEST(ChartData, SegmentsMapIntoTheUnitSquare) {
  std::vector<ArayuzChartPoint> pts{{0, at(0), 0.5, "a-0", ArayuzPalette::download},
                                    {1, at(30), 2.0, "a-0", ArayuzPalette::download},
                                    {2, at(-30), -1, "b-0", ArayuzPalette::upload},
                                    {3, at(60), 0.25, "b-0", ArayuzPalette::upload}};
  auto segs = ArayuzSparkSegment::make(pts, 1.0, 60, at(60));
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ(segs[0].id, "a-0");
  EXPECT_EQ(segs[1].color, ArayuzPalette::upload);
  EXPECT_EQ(segs[0].points[0], (ArayuzUnitPoint{0, 0.5}));
  EXPECT_EQ(segs[0].points[1], (ArayuzUnitPoint{0.5, 1}));       // clamped at the top
  EXPECT_EQ(segs[1].points[0], (ArayuzUnitPoint{-0.5, 0}));      // older than the span: left of the frame
  EXPECT_EQ(segs[1].points[1], (ArayuzUnitPoint{1, 0.25}));

  // No scale and no duration: y over 1, x at the right edge.
  auto flat = ArayuzSparkSegment::make({pts[0]}, 0, 0, at(60));
  ASSERT_EQ(flat.size(), 1u);
  EXPECT_EQ(flat[0].points, (std::vector<ArayuzUnitPoint>{{1, 0.5}}));
}

TEST(ChartData, HistoryChartPerCard) {
  EXPECT_FALSE(historyConfig(CardKind::disk));
  auto net = historyConfig(CardKind::network);
  ASSERT_TRUE(net);
  std::vector<SeriesKind> asked;
  ArayuzHistorySource zeros = [&](SeriesKind s, double seconds) {
    asked.push_back(s);
    EXPECT_DOUBLE_EQ(seconds, 600);
    std::vector<HistoryPoint> out;
    for (int i = 0; i < 600; ++i) out.push_back({at(i), 0});
    return out;
  };
  auto chart = buildHistoryChart(*net, zeros, 600, at(600), 300);
  EXPECT_EQ(asked, (std::vector<SeriesKind>{SeriesKind::networkDownload, SeriesKind::networkUpload}));
  EXPECT_DOUBLE_EQ(chart.yMax, 50000);
  ASSERT_EQ(chart.segments.size(), 2u);
  EXPECT_EQ(chart.segments[0].id, "networkDownload-0");
  EXPECT_EQ(chart.segments[1].id, "networkUpload-0");
  EXPECT_EQ(chart.segments[1].points.size(), 300u);
  EXPECT_EQ(historyConfig(CardKind::memory)->fixedTop, 1.0);
}

TEST(ChartGeometry, LinesAndGridInTheInsetFrame) {
  namespace G = ArayuzChartGeometry;
  const ArayuzRect frame{10, 20, 200, 102};  // inset: y 21 … 121
  ArayuzSparkSegment seg{"a-0", ArayuzPalette::cpu, {{0, 0}, {0.5, 1}, {-0.25, 0.5}}};
  EXPECT_EQ(G::path(seg, frame), (std::vector<G::Point>{{10, 121}, {110, 21}, {-40, 71}}));
  auto lines = G::grid({0.5}, frame);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (G::Line{{10, 71}, {210, 71}}));
  EXPECT_EQ(lines[1], (G::Line{{110, 21}, {110, 121}}));
}

}  // namespace
}  // namespace kovra
