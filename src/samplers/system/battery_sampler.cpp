#include "samplers/system/battery_sampler.h"

#include <utility>

#include "samplers/system/battery_rules.h"

namespace kovra {

BatterySampler::BatterySampler() : BatterySampler(makeBatteryPlatform()) {}

BatterySampler::BatterySampler(std::unique_ptr<BatteryPlatform> platform) : platform_(std::move(platform)) {}

SampleResult<std::optional<BatterySnapshot>> BatterySampler::sample() {
  auto read = platform_->readBattery();
  if (!read.ok()) return unreadable(read.error());
  if (!read.value()) return std::optional<BatterySnapshot>{};
  return batterySnapshot(*read.value());
}

}  // namespace kovra
