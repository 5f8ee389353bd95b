#pragma once
// JSON form of the sensors records, as the other records have theirs.

#include "core/records_json.h"
#include "core/sensor_records.h"

namespace kovra {

KOVRA_JSON_FIELDS(SensorPartReading, KF(part), KF(device), KF(model), KF(celsius), KF(limitCelsius), KF(sensor),
                  KF(asleep))
KOVRA_JSON_FIELDS(FanReading, KF(part), KF(device), KF(name), KF(rpm))
KOVRA_JSON_FIELDS(RawSensorReading, KF(name), KF(part), KF(fan), KF(value))
KOVRA_JSON_FIELDS(SensorsSnapshot, KF(parts), KF(fans), KF(sensors))

// Found by argument-dependent lookup from the reading templates.
inline std::optional<SensorPart> enumFromRaw(SensorPart*, const Json& j) {
  return j.is_string() ? sensorPartFromRaw(j.get_ref<const std::string&>()) : std::nullopt;
}

}  // namespace kovra
