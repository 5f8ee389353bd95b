#pragma once
// The sensors sampler's contract: absent on a machine without temperature or fan sensors.

#include <optional>

#include "core/sampler_error.h"
#include "core/sensor_records.h"

namespace kovra {

class SensorsSampling {
 public:
  virtual ~SensorsSampling() = default;
  virtual SampleResult<std::optional<SensorsSnapshot>> sample() = 0;
};

}  // namespace kovra
