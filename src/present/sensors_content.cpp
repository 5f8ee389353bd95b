#include "present/sensors_content.h"

#include "core/format.h"
#include "core/localize.h"

namespace kovra {

ArayuzSensorsContent makeSensorsContent(const std::optional<SensorsSnapshot>& sensors, const MantikSensorLevels& levels) {
  ArayuzSensorsContent c;
  c.headline = std::string(Format::placeholder);
  c.focusValue = c.headline;
  if (!sensors) return c;
  if (const SensorPartReading* focus = MantikSensorsVerdict::focus(*sensors, levels)) {
    c.focusName = MantikSensorTexts::partName(*sensors, *focus);
    c.focusValue = MantikSensorTexts::celsius(focus->celsius);
    c.headline = c.focusName + " " + c.focusValue;
    c.severity = levels.level(*focus);
  }
  for (const auto& p : sensors->parts) {
    ArayuzSensorRow row;
    row.name = MantikSensorTexts::partName(*sensors, p);
    row.value = p.celsius ? MantikSensorTexts::celsius(p.celsius)
                          : (p.asleep ? localized("Uykuda", "sensor of a suspended device") : std::string(Format::placeholder));
    row.limit = localized("sınır ", "sensor limit") + MantikSensorTexts::celsius(p.limitCelsius);
    row.detail = p.model.value_or("");
    row.severity = p.celsius ? levels.level(p) : Severity::neutral;
    c.parts.push_back(std::move(row));
  }
  for (const auto& f : sensors->fans) {
    // The fan's part, named as the parts are (a fan of a part without a temperature still has a
    // kind: "Diğer").
    SensorPartReading owner;
    owner.part = f.part;
    owner.device = f.device;
    ArayuzSensorRow row;
    row.name = MantikSensorTexts::partName(*sensors, owner) + " · " + f.name;
    row.value = MantikSensorTexts::fanSpeed(f.rpm);
    c.fans.push_back(std::move(row));
  }
  for (const auto& r : sensors->sensors) {
    c.rawSensors.push_back(r.name + ": " + (r.fan ? MantikSensorTexts::fanSpeed(r.value) : MantikSensorTexts::celsius(r.value)));
  }
  return c;
}

}  // namespace kovra
