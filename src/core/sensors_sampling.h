#pragma once
// The sensors sampler's contract: absent on a machine without temperature or fan sensors.

#include <optional>

#include "core/contracts.h"
#include "core/sensor_records.h"

namespace kovra {

using SensorsSampling = Sampling<std::optional<SensorsSnapshot>>;

}  // namespace kovra
