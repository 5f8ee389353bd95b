#pragma once
// The texts of the battery strip, built from one battery reading.

#include <string>
#include <vector>

#include "core/records.h"

namespace kovra::ArayuzBatteryText {

// "battery.100.bolt" while charging on the adapter, else the level symbol in quarter steps.
std::string symbol(const BatterySnapshot& battery);
// One line saying whether the machine runs from the adapter or the battery.
std::string status(const BatterySnapshot& battery);
// Zero to two lines about the power flowing in from the adapter and into or out of the battery.
std::vector<std::string> powerParts(const BatterySnapshot& battery);
// Charge, status, power parts and the cycle count, one per line.
std::vector<std::string> tooltipLines(const BatterySnapshot& battery);
std::string tooltip(const BatterySnapshot& battery);

}  // namespace kovra::ArayuzBatteryText
