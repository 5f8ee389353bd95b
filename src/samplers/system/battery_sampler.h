#pragma once
// The battery's charge, power source and power figures; absent on a machine without a battery.
// Keeps no state between calls.

#include <memory>
#include <optional>

#include "core/contracts.h"
#include "platform/battery_platform.h"

namespace kovra {

class BatterySampler : public BatterySampling {
 public:
  BatterySampler();
  explicit BatterySampler(std::unique_ptr<BatteryPlatform> platform);

  SampleResult<std::optional<BatterySnapshot>> sample() override;

 private:
  std::unique_ptr<BatteryPlatform> platform_;
};

}  // namespace kovra
