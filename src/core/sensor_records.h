#pragma once
// Temperatures and fans, grouped into the parts of the machine a user knows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// The parts, in the order they are shown.
enum class SensorPart : uint8_t { processor, graphics, drive, battery, other };
std::string_view rawValue(SensorPart p);
std::optional<SensorPart> sensorPartFromRaw(std::string_view raw);

// One part: its figure is its hottest relevant sensor, its limit that sensor's critical limit.
struct SensorPartReading {
  SensorPart part = SensorPart::other;
  std::optional<std::string> device;  // tells parts of one kind apart ("nvme1"); absent when unique
  std::optional<std::string> model;   // the device's own name, when the kernel gives one
  std::optional<double> celsius;      // absent when none of its sensors could be read
  double limitCelsius = 0;            // the critical limit: the sensor's crit, else its max, else the part's default
  std::optional<std::string> sensor;  // the raw name of the sensor that gave the figure
  bool asleep = false;                // its device is suspended and was not woken to be read
  bool operator==(const SensorPartReading&) const = default;
};

struct FanReading {
  SensorPart part = SensorPart::other;
  std::optional<std::string> device;
  std::string name;           // the fan's label, or "fan<N>"
  std::optional<double> rpm;  // absent when it could not be read; 0 when the fan stands still
  bool operator==(const FanReading&) const = default;
};

// A sensor as the kernel names it, for those who want to see them all.
struct RawSensorReading {
  std::string name;  // "<chip> <label>": "k10temp Tctl", "nct6798 fan2"
  SensorPart part = SensorPart::other;
  bool fan = false;
  std::optional<double> value;  // °C or revolutions per minute; absent when it gave nothing usable
  bool operator==(const RawSensorReading&) const = default;
};

// Every part with a temperature, every fan, every sensor.
struct SensorsSnapshot {
  std::vector<SensorPartReading> parts;  // in SensorPart order, parts of one kind by device
  std::vector<FanReading> fans;
  std::vector<RawSensorReading> sensors;

  // The part with the highest figure (the first of equals); null when no part has one.
  const SensorPartReading* hottest() const;
  // The processor's part, or null.
  const SensorPartReading* processor() const;
  bool operator==(const SensorsSnapshot&) const = default;
};

}  // namespace kovra
