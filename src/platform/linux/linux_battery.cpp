#include "platform/linux/linux_battery.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/linux/kernel_file.h"
#include "platform/linux/kernel_text.h"

namespace kovra {

namespace {

// One supply's attribute files.
class Supply {
 public:
  explicit Supply(std::string dir) : dir_(std::move(dir)) {}

  std::optional<std::string> text(const char* attribute) const {
    std::string value;
    if (linuxfs::readWholeFile(dir_ + "/" + attribute, value) != 0) return std::nullopt;
    while (!value.empty() && linuxfs::isSpace(value.back())) value.pop_back();
    return value;
  }

  std::optional<int64_t> number(const char* attribute) const {
    auto t = text(attribute);
    if (!t || t->empty()) return std::nullopt;
    std::string_view s = *t;
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    auto v = linuxfs::takeUnsignedChecked(s);
    if (!v || !s.empty() || *v > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return negative ? -static_cast<int64_t>(*v) : static_cast<int64_t>(*v);
  }

 private:
  std::string dir_;
};

SupplyStatus statusOf(std::string_view text) {
  if (text == "Charging") return SupplyStatus::charging;
  if (text == "Discharging") return SupplyStatus::discharging;
  if (text == "Not charging") return SupplyStatus::notCharging;
  if (text == "Full") return SupplyStatus::full;
  return SupplyStatus::unknown;
}

BatteryCell readCell(const Supply& s) {
  BatteryCell c;
  c.status = statusOf(s.text("status").value_or(""));
  if (auto present = s.number("present")) c.present = *present != 0;
  c.energyNow = s.number("energy_now");
  c.energyFull = s.number("energy_full");
  c.chargeNow = s.number("charge_now");
  c.chargeFull = s.number("charge_full");
  c.capacityPercent = s.number("capacity");
  c.voltageNow = s.number("voltage_now");
  c.currentNow = s.number("current_now");
  c.powerNow = s.number("power_now");
  c.cycleCount = s.number("cycle_count");
  return c;
}

bool isExternalType(std::string_view type) { return type == "Mains" || type.substr(0, 3) == "USB"; }

}  // namespace

std::unique_ptr<BatteryPlatform> makeBatteryPlatform() { return std::make_unique<LinuxBatteryPlatform>(); }

LinuxBatteryPlatform::LinuxBatteryPlatform(std::string root) : root_(std::move(root)) {}

Result<std::optional<PowerSupplies>, std::string> LinuxBatteryPlatform::readBattery() {
  DIR* dir = ::opendir(root_.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT) return std::optional<PowerSupplies>{};  // no power supply class at all
    return Failure{linuxfs::readFailure(root_, errno)};
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir)) {
    if (e->d_name[0] != '.') names.emplace_back(e->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());

  PowerSupplies supplies;
  for (const auto& name : names) {
    Supply supply(root_ + "/" + name);
    const std::string type = supply.text("type").value_or("");
    if (supply.text("scope").value_or("") == "Device") continue;
    if (type == "Battery") {
      if (supplies.source.empty()) supplies.source = root_ + "/" + name;
      supplies.batteries.push_back(readCell(supply));
    } else if (isExternalType(type) && supply.number("online").value_or(0) > 0) {
      supplies.externalOnline = true;
    }
  }
  if (supplies.batteries.empty()) return std::optional<PowerSupplies>{};
  return std::optional<PowerSupplies>(std::move(supplies));
}

}  // namespace kovra
