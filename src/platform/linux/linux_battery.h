#pragma once
// The battery's property dictionary on Linux, built from /sys/class/power_supply.
//
// A battery is a supply of type "Battery" whose scope is not "Device" (a mouse or headset battery
// is not the machine's). Keys written:
//   BatteryInstalled     "present"
//   CurrentCapacity/MaxCapacity  energy_now/energy_full (µWh), else charge_now/charge_full (µAh),
//                        else capacity/100 (percent)
//   ExternalConnected    any Mains or USB supply online
//   IsCharging, FullyCharged  status "Charging", "Full"
//   Voltage (mV), Amperage (mA, negative while discharging)
//   PowerTelemetryData → BatteryPower (mW, negative while discharging) from power_now, else V × I
//   TimeRemaining        minutes: energy ÷ rate (to empty while discharging, to full while
//                        charging); rates above 300 W are implausible and dropped
//   CycleCount           cycle_count
// Several batteries are added up: capacities and power are summed, the machine charges when any
// battery charges and is full when all are.

#include <optional>
#include <string>

#include "platform/battery_platform.h"
#include "platform/linux/sys_root.h"

namespace kovra {

class LinuxBatteryPlatform : public BatteryPlatform {
 public:
  explicit LinuxBatteryPlatform(std::string root = linuxfs::sysRoot() + "/class/power_supply");
  Result<std::optional<BatteryReading>, std::string> readBattery() override;

  static constexpr double kMaxPlausibleWatts = 300;

 private:
  std::string root_;
};

}  // namespace kovra
