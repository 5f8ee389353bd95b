#pragma once
// Turns a battery's property dictionary into a BatterySnapshot. Keys and rules are the same on
// every platform; the platform layer builds the dictionary.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/records.h"
#include "core/sampler_error.h"
#include "platform/battery_platform.h"

namespace kovra {

// A number's truth value; anything that is not a number counts as missing.
std::optional<bool> batteryBool(const BatteryProperty* value);
// A number's signed 64-bit value (reals are truncated and clamped; not-a-number is missing).
std::optional<int64_t> batteryInt64(const BatteryProperty* value);

// Applies the rules to one reading. `source` names the battery in failure texts. Absent when the
// properties say no battery is installed.
SampleResult<std::optional<BatterySnapshot>> batterySnapshotFromProperties(std::string_view source,
                                                                           const BatteryProperty& properties);

}  // namespace kovra
