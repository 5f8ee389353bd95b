#include "platform/linux/hwmon.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/linux/kernel_text.h"

namespace kovra::linuxfs::hwmon {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string stem(bool fan, uint32_t index) { return (fan ? "fan" : "temp") + std::to_string(index); }

std::optional<double> limit(const ReadText& read, bool fan, uint32_t index, std::string_view item) {
  std::string name = stem(fan, index);
  name += '_';
  name += item;
  const auto text = read(name);
  if (!text) return std::nullopt;
  const auto millis = parseInteger(*text);
  if (!millis) return std::nullopt;
  const double c = static_cast<double>(*millis) / 1000.0;
  return plausibleCelsius(c) ? std::optional<double>(c) : std::nullopt;
}

// Which sensors of a chip speak for its part. Where a chip gives one figure meant for that
// purpose, the others are shown but do not decide: k10temp's and zenpower's Tdie is the die's
// real temperature (Tctl may carry an offset for fan control), an NVMe drive's Composite is its
// own summary, and a graphics card's edge and junction are the chip (its memory has a limit of
// its own that the junction reaches first).
void markRelevant(std::string_view chip, std::vector<Channel>& channels) {
  auto hasLabel = [&](std::string_view label) {
    return std::any_of(channels.begin(), channels.end(), [&](const Channel& c) { return !c.fan && c.label == label; });
  };
  auto keepOnly = [&](auto&& keep) {
    for (auto& c : channels) {
      if (!c.fan) c.relevant = keep(c.label);
    }
  };
  if ((chip == "k10temp" || chip == "zenpower") && hasLabel("Tdie")) {
    keepOnly([](const std::string& l) { return l != "Tctl"; });
  } else if (chip == "nvme" && hasLabel("Composite")) {
    keepOnly([](const std::string& l) { return l == "Composite"; });
  } else if ((chip == "amdgpu" || chip == "radeon") && (hasLabel("edge") || hasLabel("junction"))) {
    keepOnly([](const std::string& l) { return l == "edge" || l == "junction"; });
  }
}

}  // namespace

std::optional<Attribute> parseAttribute(std::string_view name) {
  Attribute a;
  if (startsWith(name, "temp")) {
    name.remove_prefix(4);
  } else if (startsWith(name, "fan")) {
    a.fan = true;
    name.remove_prefix(3);
  } else {
    return std::nullopt;
  }
  uint32_t index = 0;
  size_t digits = 0;
  while (digits < name.size() && isDigit(name[digits])) {
    index = index * 10 + static_cast<uint32_t>(name[digits] - '0');
    if (++digits > 3) return std::nullopt;
  }
  if (digits == 0 || index == 0 || name[0] == '0') return std::nullopt;
  name.remove_prefix(digits);
  if (name == "_input") {
    a.item = Item::input;
  } else if (name == "_label") {
    a.item = Item::label;
  } else if (name == "_max" && !a.fan) {
    a.item = Item::max;
  } else if (name == "_crit" && !a.fan) {
    a.item = Item::crit;
  } else {
    return std::nullopt;
  }
  a.index = index;
  return a;
}

std::optional<int64_t> parseInteger(std::string_view text) {
  skipSpaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !isDigit(text.front())) return std::nullopt;
  int64_t v = 0;
  while (!text.empty() && isDigit(text.front())) {
    if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, text.front() - '0', &v)) return std::nullopt;
    text.remove_prefix(1);
  }
  skipSpaces(text);
  if (!text.empty()) return std::nullopt;
  return negative ? -v : v;
}

std::string parseLabel(std::string_view text) {
  text = text.substr(0, text.find('\n'));
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  text = text.substr(0, 64);
  for (char c : text) {
    if (c < 0x20 || c > 0x7e) return {};
  }
  return std::string(text);
}

bool plausibleCelsius(double c) { return std::isfinite(c) && c > 0 && c <= kMaxCelsius; }
bool plausibleRpm(double rpm) { return std::isfinite(rpm) && rpm >= 0 && rpm <= kMaxRpm; }

SensorPart partOfChip(std::string_view chip, std::string_view place) {
  if (chip == "coretemp" || chip == "k10temp" || chip == "k8temp" || chip == "zenpower" || chip == "via_cputemp" ||
      startsWith(chip, "cpu")) {
    return SensorPart::processor;
  }
  if (chip == "amdgpu" || chip == "radeon" || chip == "nouveau" || chip == "i915" || chip == "xe" ||
      startsWith(chip, "gpu")) {
    return SensorPart::graphics;
  }
  if (chip == "nvme" || chip == "drivetemp") return SensorPart::drive;
  // A power supply registers its chip under its own name ("BAT0"), which does not always say
  // battery; where it sits does.
  if (startsWith(chip, "BAT") || chip == "battery") return SensorPart::battery;
  if (place.find("/power_supply/BAT") != std::string_view::npos) return SensorPart::battery;
  return SensorPart::other;
}

SensorPart partOfZone(std::string_view type) {
  if (type == "x86_pkg_temp" || startsWith(type, "cpu") || startsWith(type, "soc")) return SensorPart::processor;
  if (startsWith(type, "gpu")) return SensorPart::graphics;
  if (startsWith(type, "battery") || startsWith(type, "BAT")) return SensorPart::battery;
  return SensorPart::other;
}

std::vector<Channel> parseFolder(std::string_view chip, const std::vector<std::string>& fileNames, const ReadText& read) {
  std::vector<Attribute> inputs;
  for (const auto& name : fileNames) {
    auto a = parseAttribute(name);
    if (a && a->item == Item::input) inputs.push_back(*a);
  }
  std::sort(inputs.begin(), inputs.end(), [](const Attribute& a, const Attribute& b) {
    return a.fan != b.fan ? !a.fan : a.index < b.index;
  });
  inputs.erase(std::unique(inputs.begin(), inputs.end()), inputs.end());
  if (inputs.size() > kMaxChannels) inputs.resize(kMaxChannels);

  std::vector<Channel> channels;
  channels.reserve(inputs.size());
  for (const auto& a : inputs) {
    Channel c;
    c.fan = a.fan;
    c.index = a.index;
    c.inputFile = stem(a.fan, a.index) + "_input";
    if (auto text = read(stem(a.fan, a.index) + "_label")) c.label = parseLabel(*text);
    if (c.label.empty()) c.label = stem(a.fan, a.index);
    if (!a.fan) {
      c.max = limit(read, false, a.index, "max");
      c.crit = limit(read, false, a.index, "crit");
    }
    channels.push_back(std::move(c));
  }
  markRelevant(chip, channels);
  return channels;
}

}  // namespace kovra::linuxfs::hwmon
