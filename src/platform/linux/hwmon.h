#pragma once
// What the files of one hwmon folder mean: which sensors it holds, their labels and limits, the
// part of the machine the chip measures, and which of its sensors speak for that part. Pure
// functions of names and texts, so that any folder (a fuzzer's too) can be parsed without a
// kernel behind it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sensor_records.h"

namespace kovra::linuxfs::hwmon {

enum class Item : uint8_t { input, label, max, crit };

// "temp3_input" → temperature 3, input. Channel numbers start at 1 and stay below 1000.
struct Attribute {
  bool fan = false;
  uint32_t index = 0;
  Item item = Item::input;
  bool operator==(const Attribute&) const = default;
};
std::optional<Attribute> parseAttribute(std::string_view fileName);

// A sysfs integer: optional sign, decimal digits, then nothing but white space.
std::optional<int64_t> parseInteger(std::string_view text);
// The first line without surrounding white space, cut to 64 bytes; empty when it holds
// anything but printable ASCII (a label is shown to the user).
std::string parseLabel(std::string_view text);

// Plausible figures: temperatures above 0 °C up to 200 °C, speeds from 0 up to 30 000 rpm.
inline constexpr double kMaxCelsius = 200;
inline constexpr double kMaxRpm = 30000;
bool plausibleCelsius(double c);
bool plausibleRpm(double rpm);

// The part a chip measures, from its driver's name and where it sits among the devices (the
// target of its /sys/class/hwmon link).
SensorPart partOfChip(std::string_view chip, std::string_view place);
// The part a thermal zone measures, from its type.
SensorPart partOfZone(std::string_view type);

struct Channel {
  bool fan = false;
  uint32_t index = 0;
  std::string label;  // its own label, else "temp<N>" / "fan<N>"
  std::optional<double> max;
  std::optional<double> crit;
  bool relevant = true;
  std::string inputFile;  // "temp<N>_input"
  bool operator==(const Channel&) const = default;
};

// The channels of one folder, temperatures first, each kind by number. `read` gives a small
// file's text (labels, limits), or nothing. At most kMaxChannels channels are kept.
inline constexpr size_t kMaxChannels = 64;
using ReadText = std::function<std::optional<std::string>(const std::string& fileName)>;
std::vector<Channel> parseFolder(std::string_view chip, const std::vector<std::string>& fileNames, const ReadText& read);

}  // namespace kovra::linuxfs::hwmon
