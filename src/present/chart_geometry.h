#pragma once
// Where chart lines and grid lines fall inside a frame, for any toolkit's drawing code. The
// frame is inset by 1 point at top and bottom so that a line at 0 or 1 is not cut in half.

#include <vector>

#include "present/chart_data.h"
#include "present/text_measurer.h"

namespace kovra::ArayuzChartGeometry {

inline constexpr double kHistoryChartHeight = 156;
inline constexpr double kLineWidth = 1.5;
inline constexpr double kGridLineWidth = 0.5;
inline constexpr double kGridOpacity = 0.25;
// Horizontal grid lines of the history chart, as fractions of the scale.
inline constexpr double kHistoryGridFractions[] = {0.25, 0.5, 0.75};

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Line {
  Point from;
  Point to;
  bool operator==(const Line&) const = default;
};

// The frame with 1 point taken off at top and bottom.
ArayuzRect inset(ArayuzRect frame);
// The segment's points in frame coordinates (y grows downwards): the first starts the path.
std::vector<Point> path(const ArayuzSparkSegment& segment, ArayuzRect frame);
// One full-width horizontal line per fraction, then one vertical line through the middle.
std::vector<Line> grid(const std::vector<double>& fractions, ArayuzRect frame);

}  // namespace kovra::ArayuzChartGeometry
