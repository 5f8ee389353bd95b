#pragma once
// What the temperature card and page show, from the sensors reading and the parts' levels.

#include <optional>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/sensor_records.h"
#include "logic/sensors_rules.h"

namespace kovra {

struct ArayuzSensorRow {
  std::string name;    // "İşlemci", "Disk 2", "Ekran kartı · fan1"
  std::string value;   // "62 °C", "1.180 dev/dk", "Uykuda"
  std::string limit;   // "sınır 100 °C"; empty for fans
  std::string detail;  // the device's own name, when known
  Severity severity = Severity::neutral;
  bool operator==(const ArayuzSensorRow&) const = default;
};

struct ArayuzSensorsContent {
  std::string headline;  // the card's figure: the part the verdict speaks of, "İşlemci 62 °C"
  std::string focusName;   // that part alone: "İşlemci"
  std::string focusValue;  // and its figure: "62 °C" ("—" without one)
  Severity severity = Severity::neutral;
  std::vector<ArayuzSensorRow> parts;
  std::vector<ArayuzSensorRow> fans;
  std::vector<std::string> rawSensors;  // "k10temp Tctl: 67 °C"
  bool operator==(const ArayuzSensorsContent&) const = default;
};

ArayuzSensorsContent makeSensorsContent(const std::optional<SensorsSnapshot>& sensors, const MantikSensorLevels& levels);

}  // namespace kovra
