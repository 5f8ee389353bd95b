#include "core/sensor_records.h"

#include <array>
#include <utility>

namespace kovra {

namespace {

constexpr std::array<std::pair<SensorPart, std::string_view>, 5> kPartNames{{
    {SensorPart::processor, "processor"},
    {SensorPart::graphics, "graphics"},
    {SensorPart::drive, "drive"},
    {SensorPart::battery, "battery"},
    {SensorPart::other, "other"},
}};

}  // namespace

std::string_view rawValue(SensorPart p) {
  for (const auto& [k, name] : kPartNames) {
    if (k == p) return name;
  }
  return {};
}

std::optional<SensorPart> sensorPartFromRaw(std::string_view raw) {
  for (const auto& [k, name] : kPartNames) {
    if (name == raw) return k;
  }
  return std::nullopt;
}

const SensorPartReading* SensorsSnapshot::hottest() const {
  const SensorPartReading* best = nullptr;
  for (const auto& p : parts) {
    if (p.celsius && (best == nullptr || *p.celsius > *best->celsius)) best = &p;
  }
  return best;
}

const SensorPartReading* SensorsSnapshot::processor() const {
  for (const auto& p : parts) {
    if (p.part == SensorPart::processor) return &p;
  }
  return nullptr;
}

}  // namespace kovra
