#pragma once
// Turns the machine's power supplies into a BatterySnapshot.
//
// Only batteries in their bay count; with none left, none is installed (absent). The machine
// charges when any battery charges, discharges when none charges and one discharges, and is full
// when all are. Charge is the sum of energy_now over the sum of energy_full when every battery
// reports energy, likewise with charge when every one reports charge, else the percentages; a
// reading with none of them is unreadable. Power is the sum of each battery's power_now (else
// voltage × current), in whole milliwatts, negative while discharging. Time remaining is energy
// (or charge) left, to empty or to full, over that rate, in whole minutes; rates above 300 W are
// implausible and give none. The cycle count is the first battery's.

#include <optional>

#include "core/records.h"
#include "core/sampler_error.h"
#include "platform/battery_platform.h"

namespace kovra {

inline constexpr double kMaxPlausibleBatteryWatts = 300;

SampleResult<std::optional<BatterySnapshot>> batterySnapshot(const PowerSupplies& supplies);

}  // namespace kovra
