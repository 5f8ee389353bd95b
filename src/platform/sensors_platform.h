#pragma once
// Where the sensors sampler gets its temperatures and fans from: every sensor the kernel offers,
// each already placed in the part of the machine it measures.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/sensor_records.h"

namespace kovra {

// How one sensor fared in the last reading.
enum class SensorState : uint8_t {
  ok,           // `value` holds the figure
  unreadable,   // the read failed (ENODATA, EIO, ENXIO …) or the text was not a number
  asleep,       // its device is suspended; it is not read, so as not to wake it
  gone,         // the file or its device disappeared; the next reading lists the sensors again
  implausible,  // a figure no such sensor can give (below 0 °C, above 200 °C, a negative speed)
};

struct SensorChannel {
  SensorPart part = SensorPart::other;
  bool fan = false;        // a fan's speed in revolutions per minute; otherwise a temperature in °C
  bool relevant = true;    // counts toward its part's figure (Tctl is left out when Tdie is given)
  std::string device;      // tells parts of one kind apart ("nvme0", "0000:03:00.0"); empty for unique ones
  std::string model;       // the device's own name where the kernel gives one ("Samsung SSD 980 1TB")
  std::string chip;        // the driver's name for the sensor chip ("k10temp", "nvme")
  std::string label;       // the sensor's own label, or its file stem ("Tctl", "temp1", "fan2")
  std::optional<double> max;   // °C, temperatures only
  std::optional<double> crit;  // °C, temperatures only
  double value = 0;
  SensorState state = SensorState::unreadable;
};

class SensorsPlatform {
 public:
  virtual ~SensorsPlatform() = default;
  // Fills `channels` with every sensor and its current figure. The list is taken again only when
  // a sensor disappeared or after a while (hot-plugged drives); between those, a reading keeps
  // the list as it is and changes only values and states.
  virtual void read(std::vector<SensorChannel>& channels) = 0;
};

std::unique_ptr<SensorsPlatform> makeSensorsPlatform();

}  // namespace kovra
