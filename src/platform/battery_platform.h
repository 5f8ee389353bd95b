#pragma once
// Where the battery sampler gets the machine's power supplies from: the batteries as the kernel
// describes them, in its own units, and whether an external supply is online.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

namespace kovra {

enum class SupplyStatus { unknown, charging, discharging, notCharging, full };

// One battery of the machine (not a mouse's or a headset's). Every figure is absent when the
// kernel does not give it.
struct BatteryCell {
  SupplyStatus status = SupplyStatus::unknown;
  bool present = true;                      // in its bay
  std::optional<int64_t> energyNow;         // µWh
  std::optional<int64_t> energyFull;        // µWh
  std::optional<int64_t> chargeNow;         // µAh
  std::optional<int64_t> chargeFull;        // µAh
  std::optional<int64_t> capacityPercent;
  std::optional<int64_t> voltageNow;        // µV
  std::optional<int64_t> currentNow;        // µA, with the sign the driver gives it
  std::optional<int64_t> powerNow;          // µW, likewise
  std::optional<int64_t> cycleCount;
  bool operator==(const BatteryCell&) const = default;
};

struct PowerSupplies {
  std::string source;           // names the first battery in failure texts, e.g. "/sys/class/power_supply/BAT0"
  bool externalOnline = false;  // a mains or USB supply is online
  std::vector<BatteryCell> batteries;  // in name order, at least one
  bool operator==(const PowerSupplies&) const = default;
};

class BatteryPlatform {
 public:
  virtual ~BatteryPlatform() = default;
  // Absent: the machine has no battery. Failure: the supplies could not be listed (the text names
  // the call).
  virtual Result<std::optional<PowerSupplies>, std::string> readBattery() = 0;
};

std::unique_ptr<BatteryPlatform> makeBatteryPlatform();

}  // namespace kovra
