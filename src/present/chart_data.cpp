#include "present/chart_data.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/localize.h"

namespace kovra {

std::string_view rawValue(ArayuzChartRange range) {
  switch (range) {
    case ArayuzChartRange::oneMinute: return "oneMinute";
    case ArayuzChartRange::tenMinutes: return "tenMinutes";
    case ArayuzChartRange::oneHour: return "oneHour";
  }
  return "tenMinutes";
}

std::optional<ArayuzChartRange> chartRangeFromRaw(std::string_view raw) {
  for (auto r : kAllChartRanges) {
    if (rawValue(r) == raw) return r;
  }
  return std::nullopt;
}

std::string title(ArayuzChartRange range) {
  switch (range) {
    case ArayuzChartRange::oneMinute: return localized("1 dk", "Grafik aralığı");
    case ArayuzChartRange::tenMinutes: return localized("10 dk", "Grafik aralığı");
    case ArayuzChartRange::oneHour: return localized("1 sa", "Grafik aralığı");
  }
  return {};
}

double spanSeconds(ArayuzChartRange range) {
  switch (range) {
    case ArayuzChartRange::oneMinute: return 60;
    case ArayuzChartRange::tenMinutes: return 600;
    case ArayuzChartRange::oneHour: return 3600;
  }
  return 600;
}

namespace ArayuzChartData {

std::vector<ArayuzChartPoint> prepare(const std::vector<HistoryPoint>& points, std::string_view key,
                                      ArayuzPalette color, int maxCount, int64_t idOffset) {
  std::vector<ArayuzChartPoint> out;
  if (points.empty()) return out;
  const size_t n = points.size();
  const size_t m = maxCount < 2 ? 1 : static_cast<size_t>(maxCount);
  const size_t bucket = std::max<size_t>(1, (n + m - 1) / m);
  out.reserve(std::min(n, m + 16));

  constexpr auto kMaxGap = std::chrono::seconds(5);
  int segment = 0;
  std::string series = std::string(key) + "-0";
  double sum = 0;
  size_t count = 0;
  const HistoryPoint* previous = nullptr;

  auto emit = [&](Date time) {
    out.push_back(ArayuzChartPoint{idOffset + static_cast<int64_t>(out.size()), time,
                                   sum / static_cast<double>(count), series, color});
    sum = 0;
    count = 0;
  };

  for (const auto& p : points) {
    if (previous && p.time - previous->time > kMaxGap) {
      if (count > 0) emit(previous->time);
      sum = 0;
      count = 0;
      ++segment;
      series = std::string(key) + "-" + std::to_string(segment);
    }
    sum += p.value;
    ++count;
    if (count == bucket) emit(p.time);
    previous = &p;
  }
  if (count > 0) emit(previous->time);
  return out;
}

double yMax(const std::vector<ArayuzChartPoint>& points, std::optional<double> fixed, double minimum) {
  if (fixed) return *fixed;
  if (points.empty()) return minimum > 0 ? minimum : 0;
  double largest = -INFINITY;
  for (const auto& p : points) {
    if (std::isfinite(p.value)) largest = std::max(largest, p.value);
  }
  if (!std::isfinite(largest)) return minimum > 0 ? minimum : 0;
  return std::max(largest * 1.15, minimum);
}

}  // namespace ArayuzChartData

std::vector<ArayuzSparkSegment> ArayuzSparkSegment::make(const std::vector<ArayuzChartPoint>& points, double yMax,
                                                         double duration, Date end) {
  using Seconds = std::chrono::duration<double>;
  std::vector<ArayuzSparkSegment> segments;
  const Date start = end - std::chrono::duration_cast<Date::duration>(Seconds(duration));
  const double scale = yMax > 0 ? yMax : 1;
  ArayuzSparkSegment current;
  bool open = false;
  for (const auto& p : points) {
    if (!open || p.series != current.id) {
      if (open && !current.points.empty()) segments.push_back(std::move(current));
      current = ArayuzSparkSegment{p.series, p.color, {}};
      open = true;
    }
    double x = duration > 0 ? std::chrono::duration_cast<Seconds>(p.time - start).count() / duration : 1;
    double y = p.value / scale;
    y = y > 0 ? std::min(y, 1.0) : 0;  // NaN falls to 0 as well
    current.points.push_back({x, y});
  }
  if (open && !current.points.empty()) segments.push_back(std::move(current));
  return segments;
}

std::optional<ArayuzHistoryConfig> historyConfig(CardKind card) {
  switch (card) {
    case CardKind::memory:
      return ArayuzHistoryConfig{{{SeriesKind::memoryUsed, "", ArayuzPalette::memoryLine}}, 1.0, 1.0};
    case CardKind::cpu:
      return ArayuzHistoryConfig{{{SeriesKind::cpuUsage, "", ArayuzPalette::cpu}}, 1.0, 1.0};
    case CardKind::network:
      return ArayuzHistoryConfig{{{SeriesKind::networkDownload, "", ArayuzPalette::download},
                                  {SeriesKind::networkUpload, "", ArayuzPalette::upload}},
                                 std::nullopt,
                                 50000};
    case CardKind::disk:
    case CardKind::sensors: return std::nullopt;  // one line per part: see buildKeyedChart
  }
  return std::nullopt;
}

ArayuzHistoryChart buildHistoryChart(const ArayuzHistoryConfig& config, const ArayuzHistorySource& history,
                                     double duration, Date end, int maxCount) {
  std::vector<ArayuzKeyedLine> lines;
  for (const auto& line : config.lines) lines.push_back({std::string(rawValue(line.series)), line.color});
  return buildKeyedChart(
      lines, [&](std::string_view key, double seconds) { return history(*seriesKindFromRaw(key), seconds); },
      config.fixedTop, config.minimumTop, duration, end, maxCount);
}

ArayuzHistoryChart buildKeyedChart(const std::vector<ArayuzKeyedLine>& lines, const ArayuzKeyedSource& history,
                                   std::optional<double> fixedTop, double minimumTop, double duration, Date end,
                                   int maxCount) {
  std::vector<ArayuzChartPoint> all;
  for (const auto& line : lines) {
    auto prepared = ArayuzChartData::prepare(history(line.key, duration), line.key, line.color, maxCount,
                                             static_cast<int64_t>(all.size()));
    all.insert(all.end(), std::make_move_iterator(prepared.begin()), std::make_move_iterator(prepared.end()));
  }
  ArayuzHistoryChart chart;
  chart.yMax = ArayuzChartData::yMax(all, fixedTop, minimumTop);
  chart.segments = ArayuzSparkSegment::make(all, chart.yMax, duration, end);
  return chart;
}

}  // namespace kovra
