#include "present/menu_bar_renderer.h"

#include <algorithm>
#include <cmath>

namespace kovra {

namespace {

// Rate text of an exact value in the unit, without the label's 50 kB/s steps.
std::string unitRateText(double bytesPerSecond, RateUnit unit) {
  if (!std::isfinite(bytesPerSecond)) return std::string(Format::placeholder);
  if (unit == RateUnit::bits) return Format::rateText(bytesPerSecond * 8, "Kbps", "Mbps", "Gbps");
  return Format::rateText(bytesPerSecond, "KB/s", "MB/s", "GB/s");
}

double ceilWidth(const ArayuzTextMeasurer& measurer, const std::string& text, double fontSize) {
  return std::ceil(measurer.textWidth(text, fontSize));
}

std::string joined(std::string_view prefix, const std::string& text) {
  std::string out(prefix);
  out += text;
  return out;
}

}  // namespace

std::string menuBarRateText(double v, RateUnit unit) {
  double shown = v;
  if (v < 1'000'000) shown = std::round(std::max(v, 0.0) / 50'000) * 50'000;
  return unitRateText(shown, unit);
}

std::string menuBarPercentText(double fraction) {
  if (!std::isfinite(fraction)) return std::string(Format::placeholder);
  auto n = Format::wholeNumber(fraction * 100);
  return n ? "%" + *n : std::string(Format::placeholder);
}

namespace ArayuzMenuBarRenderer {

std::vector<std::string> rateSampleTexts(RateUnit unit) {
  static constexpr double kRateSamples[] = {0,         9'999,      99'999,        999'499,       9'949'999,
                                            99'949'999, 999'949'999, 9'949'999'999, 99'949'999'999};
  std::vector<std::string> texts;
  for (double sample : kRateSamples) texts.push_back(unitRateText(sample, unit));
  texts.emplace_back(Format::placeholder);
  return texts;
}

std::vector<std::string> percentSampleTexts() {
  std::vector<std::string> texts;
  for (double sample : {100.0, 88.0, 0.0}) {
    auto n = Format::wholeNumber(sample);
    texts.push_back(n ? "%" + *n : std::string(Format::placeholder));
  }
  texts.emplace_back(Format::placeholder);
  return texts;
}

std::vector<std::string> temperatureSampleTexts() {
  return {"100 °C", "88 °C", std::string(Format::placeholder)};
}

ArayuzMenuBarLayout baseLayout(const ArayuzTextMeasurer& measurer, bool showsNetwork, bool showsMemory,
                               RateUnit unit, double fontSize, bool showsTemperature) {
  double rateWidth = 0;
  for (const auto& text : rateSampleTexts(unit)) {
    rateWidth = std::max({rateWidth, ceilWidth(measurer, joined(kDownPrefix, text), fontSize),
                          ceilWidth(measurer, joined(kUpPrefix, text), fontSize)});
  }
  double percentWidth = 0;
  for (const auto& text : percentSampleTexts()) {
    percentWidth = std::max(percentWidth, ceilWidth(measurer, joined(kRamPrefix, text), fontSize));
  }
  double temperatureWidth = 0;
  for (const auto& text : temperatureSampleTexts()) {
    temperatureWidth = std::max(temperatureWidth, ceilWidth(measurer, text, fontSize));
  }
  return {showsNetwork, showsMemory, unit, fontSize, rateWidth, percentWidth, showsTemperature, temperatureWidth};
}

double gap(const ArayuzTextMeasurer& measurer, double fontSize) {
  return std::ceil(std::ceil(measurer.textWidth(" ", fontSize)) * 2.5);
}

std::vector<ArayuzMenuBarItem> items(const ArayuzMenuBarContent& content, const ArayuzMenuBarLayout& layout,
                                     double gapWidth) {
  std::vector<ArayuzMenuBarItem> out;
  double x = 0;
  auto add = [&](std::string text, double width) {
    if (!out.empty()) x += gapWidth;
    out.push_back({std::move(text), x, width, true});
    x += width;
  };
  if (content.down && content.up) {
    add(joined(kDownPrefix, *content.down), layout.rateWidth);
    add(joined(kUpPrefix, *content.up), layout.rateWidth);
  }
  if (content.ram) add(joined(kRamPrefix, *content.ram), layout.percentWidth);
  if (content.temperature) add(*content.temperature, layout.temperatureWidth);
  return out;
}

ArayuzMenuBarImage image(const ArayuzTextMeasurer& measurer, const ArayuzMenuBarContent& content,
                         const ArayuzMenuBarLayout& layout, const std::string& accessibility) {
  ArayuzMenuBarImage img;
  img.fontSize = layout.fontSize;
  img.items = items(content, layout, gap(measurer, layout.fontSize));
  if (!img.items.empty()) img.width = std::ceil(img.items.back().x + img.items.back().width);
  auto m = measurer.metrics(layout.fontSize);
  img.height = std::ceil(m.ascender - m.descender + m.leading);
  img.isTemplate = true;
  img.accessibilityDescription = accessibility;
  return img;
}

}  // namespace ArayuzMenuBarRenderer

void ArayuzMenuBarImage::draw(const ArayuzTextMeasurer& measurer, ArayuzTextPainter& painter) const {
  for (const auto& item : items) {
    double w = measurer.textWidth(item.text, fontSize);
    double x = item.alignsRight ? item.x + item.width - w : item.x;
    painter.drawText(item.text, {x, 0, std::ceil(w) + 1, height}, fontSize);
  }
}

}  // namespace kovra
