#include "present/chart_geometry.h"

#include <algorithm>

namespace kovra::ArayuzChartGeometry {

ArayuzRect inset(ArayuzRect frame) {
  return {frame.x, frame.y + 1, frame.width, std::max(0.0, frame.height - 2)};
}

std::vector<Point> path(const ArayuzSparkSegment& segment, ArayuzRect frame) {
  const ArayuzRect r = inset(frame);
  const double maxY = r.y + r.height;
  std::vector<Point> out;
  out.reserve(segment.points.size());
  for (const auto& p : segment.points) out.push_back({r.x + p.x * r.width, maxY - p.y * r.height});
  return out;
}

std::vector<Line> grid(const std::vector<double>& fractions, ArayuzRect frame) {
  const ArayuzRect r = inset(frame);
  const double maxY = r.y + r.height;
  std::vector<Line> out;
  for (double f : fractions) {
    const double y = maxY - f * r.height;
    out.push_back({{r.x, y}, {r.x + r.width, y}});
  }
  const double midX = r.x + r.width / 2;
  out.push_back({{midX, r.y}, {midX, maxY}});
  return out;
}

}  // namespace kovra::ArayuzChartGeometry
