#pragma once
// Temperatures and fans grouped into the parts a user knows: the processor, each graphics card,
// each drive, the battery and the rest ("other"). A part's figure is its hottest relevant
// sensor that gave a plausible figure; its limit is that sensor's critical limit (crit, else
// max), else the part's default below.

#include <memory>
#include <vector>

#include "core/contracts.h"
#include "platform/sensors_platform.h"

namespace kovra {

// Critical limits for sensors that state none (°C). Processors throttle at 95–105 °C (95 is
// the lowest of current desktop parts); graphics chips at 95–110; drives are rated to 70 (the
// common upper operating temperature of SSDs and disks); batteries to 60; anything else
// (chipset, board, ACPI zones) gets 90.
double defaultLimitCelsius(SensorPart part);

// The grouping itself, from one reading of the platform.
SensorsSnapshot groupSensors(const std::vector<SensorChannel>& channels);

class SensorsSampler : public SensorsSampling {
 public:
  SensorsSampler();
  explicit SensorsSampler(std::unique_ptr<SensorsPlatform> platform);
  SampleResult<std::optional<SensorsSnapshot>> sample() override;

 private:
  std::unique_ptr<SensorsPlatform> platform_;
  std::vector<SensorChannel> channels_;  // kept: a steady reading only refreshes the figures
};

}  // namespace kovra
