#pragma once
// Turning history points into chart lines: thinning into averaged points, breaking the line where
// sampling paused, choosing the top of the scale, and mapping into the unit square that the
// drawing code scales to its frame.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "present/palette.h"

namespace kovra {

enum class ArayuzChartRange { oneMinute, tenMinutes, oneHour };
inline constexpr ArayuzChartRange kAllChartRanges[] = {ArayuzChartRange::oneMinute, ArayuzChartRange::tenMinutes,
                                                       ArayuzChartRange::oneHour};
std::string_view rawValue(ArayuzChartRange range);
std::optional<ArayuzChartRange> chartRangeFromRaw(std::string_view raw);
// "1 dk", "10 dk", "1 sa".
std::string title(ArayuzChartRange range);
// 60, 600 or 3600 seconds.
double spanSeconds(ArayuzChartRange range);

struct ArayuzChartPoint {
  int64_t id = 0;
  Date time;
  double value = 0;
  std::string series;  // line key, "-", segment number
  ArayuzPalette color = ArayuzPalette::memoryLine;
  bool operator==(const ArayuzChartPoint&) const = default;
};

struct ArayuzUnitPoint {
  double x = 0;
  double y = 0;
  bool operator==(const ArayuzUnitPoint&) const = default;
};

struct ArayuzSparkSegment {
  std::string id;
  ArayuzPalette color = ArayuzPalette::memoryLine;
  std::vector<ArayuzUnitPoint> points;
  bool operator==(const ArayuzSparkSegment&) const = default;

  // Groups consecutive points of one series into segments; x runs over the `duration` seconds
  // ending at `end` (not clamped), y is value ÷ yMax clamped to 0…1.
  static std::vector<ArayuzSparkSegment> make(const std::vector<ArayuzChartPoint>& points, double yMax,
                                               double duration, Date end);
};

namespace ArayuzChartData {
// At most about `maxCount` means of consecutive points; a gap of more than 5 seconds starts a new
// segment. Ids count up from `idOffset`.
std::vector<ArayuzChartPoint> prepare(const std::vector<HistoryPoint>& points, std::string_view key,
                                      ArayuzPalette color, int maxCount, int64_t idOffset);
// `fixed` when given; else the largest value plus 15 %, never below `minimum`.
double yMax(const std::vector<ArayuzChartPoint>& points, std::optional<double> fixed, double minimum);
}  // namespace ArayuzChartData

// One line of a history chart.
struct ArayuzHistoryLine {
  SeriesKind series = SeriesKind::memoryUsed;
  std::string label;
  ArayuzPalette color = ArayuzPalette::memoryLine;
};

struct ArayuzHistoryConfig {
  std::vector<ArayuzHistoryLine> lines;
  std::optional<double> fixedTop;
  double minimumTop = 0;
};

// The chart of a card's detail page; none for disk.
std::optional<ArayuzHistoryConfig> historyConfig(CardKind card);

// What a history chart draws.
struct ArayuzHistoryChart {
  std::vector<ArayuzSparkSegment> segments;
  double yMax = 0;
  bool operator==(const ArayuzHistoryChart&) const = default;
};

// Reads the last `seconds` of one series (the store's history window).
using ArayuzHistorySource = std::function<std::vector<HistoryPoint>(SeriesKind, double seconds)>;

// Builds the chart of `config` over `duration` seconds ending at `end`, each line thinned to at
// most `maxCount` points.
ArayuzHistoryChart buildHistoryChart(const ArayuzHistoryConfig& config, const ArayuzHistorySource& history,
                                     double duration, Date end, int maxCount);

// The same for lines read by a key of their own (one per part of the machine, known only once
// read); the key starts each segment's id.
struct ArayuzKeyedLine {
  std::string key;
  ArayuzPalette color = ArayuzPalette::partLine1;
  bool operator==(const ArayuzKeyedLine&) const = default;
};
using ArayuzKeyedSource = std::function<std::vector<HistoryPoint>(std::string_view key, double seconds)>;
ArayuzHistoryChart buildKeyedChart(const std::vector<ArayuzKeyedLine>& lines, const ArayuzKeyedSource& history,
                                   std::optional<double> fixedTop, double minimumTop, double duration, Date end,
                                   int maxCount);

}  // namespace kovra
