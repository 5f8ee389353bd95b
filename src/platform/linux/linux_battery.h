#pragma once
// The machine's power supplies on Linux, from /sys/class/power_supply (under KOVRA_SYS_ROOT).
//
// A battery is a supply of type "Battery" whose scope is not "Device" (a mouse or headset battery
// is not the machine's); an external supply is one of type "Mains" or "USB…" that is online.
// Each battery's attributes are read as they are: status, present, energy_now/energy_full (µWh),
// charge_now/charge_full (µAh), capacity (percent), voltage_now (µV), current_now (µA),
// power_now (µW), cycle_count. A file that is missing or does not hold one decimal integer is
// absent from the record.

#include <optional>
#include <string>

#include "platform/battery_platform.h"
#include "platform/linux/sys_root.h"

namespace kovra {

class LinuxBatteryPlatform : public BatteryPlatform {
 public:
  explicit LinuxBatteryPlatform(std::string root = linuxfs::sysRoot() + "/class/power_supply");
  Result<std::optional<PowerSupplies>, std::string> readBattery() override;

 private:
  std::string root_;
};

}  // namespace kovra
