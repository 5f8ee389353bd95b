#pragma once
// The menu bar picture: download and upload rates, memory use and the processor's temperature, in slots whose widths do not
// jitter as digits change, drawn into one template image.

#include <optional>
#include <string>
#include <vector>

#include "core/format.h"
#include "present/text_measurer.h"

namespace kovra {

// "↓" / "↑" followed by a thin space.
inline constexpr std::string_view kDownPrefix = "\u2193\u2009";
inline constexpr std::string_view kUpPrefix = "\u2191\u2009";
inline constexpr std::string_view kRamPrefix = "RAM ";

struct ArayuzMenuBarContent {
  std::optional<std::string> down;
  std::optional<std::string> up;
  std::optional<std::string> ram;
  RateUnit unit = RateUnit::bytes;
  std::optional<std::string> temperature;  // "62 °C"
  bool operator==(const ArayuzMenuBarContent&) const = default;
};

struct ArayuzMenuBarLayout {
  bool showsNetwork = false;
  bool showsMemory = false;
  RateUnit unit = RateUnit::bytes;
  double fontSize = 0;
  double rateWidth = 0;
  double percentWidth = 0;
  bool showsTemperature = false;
  double temperatureWidth = 0;
  bool operator==(const ArayuzMenuBarLayout&) const = default;
};

struct ArayuzMenuBarItem {
  std::string text;
  double x = 0;
  double width = 0;
  bool alignsRight = true;
  bool operator==(const ArayuzMenuBarItem&) const = default;
};

// A template image described by what it draws; the front end paints it with `draw`.
struct ArayuzMenuBarImage {
  double width = 0;
  double height = 0;
  double fontSize = 0;
  std::vector<ArayuzMenuBarItem> items;
  bool isTemplate = true;
  std::string accessibilityDescription;
  bool operator==(const ArayuzMenuBarImage&) const = default;

  // Draws every item right-aligned in its slot, in black.
  void draw(const ArayuzTextMeasurer& measurer, ArayuzTextPainter& painter) const;
};

struct ArayuzMenuBarRendered {
  ArayuzMenuBarImage image;
  std::string accessibilityText;
  bool operator==(const ArayuzMenuBarRendered&) const = default;
};

// A rate as the label shows it: under 1 MB/s in steps of 50 kB/s, bits use ×8 and bit names.
std::string menuBarRateText(double bytesPerSecond, RateUnit unit);
// "%" and the whole percent, or "—".
std::string menuBarPercentText(double fraction);

namespace ArayuzMenuBarRenderer {
// The widest rate text of every size class in the unit, then "—".
std::vector<std::string> rateSampleTexts(RateUnit unit);
// "%100", "%88", "%0" and "—".
std::vector<std::string> percentSampleTexts();
// "100 °C", "88 °C" and "—".
std::vector<std::string> temperatureSampleTexts();
// Widths of the widest text of every size class, measured whatever the flags say.
ArayuzMenuBarLayout baseLayout(const ArayuzTextMeasurer& measurer, bool showsNetwork, bool showsMemory,
                               RateUnit unit, double fontSize, bool showsTemperature = false);
// The slots left to right, `gap` apart.
std::vector<ArayuzMenuBarItem> items(const ArayuzMenuBarContent& content, const ArayuzMenuBarLayout& layout,
                                     double gap);
// ceil(ceil(width of a space) × 2.5).
double gap(const ArayuzTextMeasurer& measurer, double fontSize);
ArayuzMenuBarImage image(const ArayuzTextMeasurer& measurer, const ArayuzMenuBarContent& content,
                         const ArayuzMenuBarLayout& layout, const std::string& accessibility);
}  // namespace ArayuzMenuBarRenderer

}  // namespace kovra
