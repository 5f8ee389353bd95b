#include "platform/linux/linux_battery.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
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

struct Cell {
  std::string status;
  bool present = true;
  std::optional<int64_t> now, full;  // in µWh or µAh
  bool energyUnits = true;
  std::optional<int64_t> percent;
  std::optional<int64_t> microvolts, microamps, microwatts, cycles;
};

Cell readCell(const Supply& s) {
  Cell c;
  c.status = s.text("status").value_or("");
  if (auto present = s.number("present")) c.present = *present != 0;
  c.now = s.number("energy_now");
  c.full = s.number("energy_full");
  if (!c.now || !c.full) {
    c.now = s.number("charge_now");
    c.full = s.number("charge_full");
    c.energyUnits = false;
    if (!c.now || !c.full) c.now.reset(), c.full.reset();
  }
  c.percent = s.number("capacity");
  c.microvolts = s.number("voltage_now");
  c.microamps = s.number("current_now");
  c.microwatts = s.number("power_now");
  c.cycles = s.number("cycle_count");
  return c;
}

// The cell's power in watts, positive; from power_now, else voltage × current.
std::optional<double> watts(const Cell& c) {
  if (c.microwatts) return std::fabs(static_cast<double>(*c.microwatts)) / 1e6;
  if (c.microvolts && c.microamps)
    return std::fabs(static_cast<double>(*c.microvolts) * static_cast<double>(*c.microamps)) / 1e12;
  return std::nullopt;
}

int64_t addCapped(int64_t a, int64_t b) {
  int64_t out = 0;
  if (__builtin_add_overflow(a, b, &out)) return b < 0 ? INT64_MIN : INT64_MAX;
  return out;
}

bool isExternalType(std::string_view type) { return type == "Mains" || type.substr(0, 3) == "USB"; }

}  // namespace

std::unique_ptr<BatteryPlatform> makeBatteryPlatform() { return std::make_unique<LinuxBatteryPlatform>(); }

LinuxBatteryPlatform::LinuxBatteryPlatform(std::string root) : root_(std::move(root)) {}

Result<std::optional<BatteryReading>, std::string> LinuxBatteryPlatform::readBattery() {
  DIR* dir = ::opendir(root_.c_str());
  if (dir == nullptr) {
    if (errno == ENOENT) return std::optional<BatteryReading>{};  // no power supply class at all
    return Failure{linuxfs::readFailure(root_, errno)};
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir)) {
    if (e->d_name[0] != '.') names.emplace_back(e->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());

  bool external = false;
  std::vector<Cell> cells;
  std::string source;
  for (const auto& name : names) {
    Supply supply(root_ + "/" + name);
    const std::string type = supply.text("type").value_or("");
    if (supply.text("scope").value_or("") == "Device") continue;
    if (type == "Battery") {
      if (source.empty()) source = root_ + "/" + name;
      cells.push_back(readCell(supply));
    } else if (isExternalType(type) && supply.number("online").value_or(0) > 0) {
      external = true;
    }
  }
  if (cells.empty()) return std::optional<BatteryReading>{};

  // Only batteries that are in their bay count; with none left, none is installed.
  std::vector<const Cell*> present;
  for (const auto& c : cells)
    if (c.present) present.push_back(&c);
  BatteryDictionary props;
  props.set("BatteryInstalled", !present.empty());
  if (present.empty()) return std::optional<BatteryReading>(BatteryReading{source, BatteryProperty(std::move(props))});

  const bool charging = std::any_of(present.begin(), present.end(), [](auto* c) { return c->status == "Charging"; });
  const bool discharging =
      !charging && std::any_of(present.begin(), present.end(), [](auto* c) { return c->status == "Discharging"; });
  const bool full = std::all_of(present.begin(), present.end(), [](auto* c) { return c->status == "Full"; });
  props.set("ExternalConnected", external);
  props.set("IsCharging", charging);
  props.set("FullyCharged", full);

  // Capacities add up when every battery reports the same unit; otherwise percentages are used.
  const bool allEnergy = std::all_of(present.begin(), present.end(), [](auto* c) { return c->now && c->energyUnits; });
  const bool allCharge = std::all_of(present.begin(), present.end(), [](auto* c) { return c->now && !c->energyUnits; });
  std::optional<int64_t> now, capacity;
  if (allEnergy || allCharge) {
    now = 0, capacity = 0;
    for (auto* c : present) *now = addCapped(*now, *c->now), *capacity = addCapped(*capacity, *c->full);
  } else if (std::all_of(present.begin(), present.end(), [](auto* c) { return c->percent.has_value(); })) {
    now = 0, capacity = 0;
    for (auto* c : present) *now += *c->percent, *capacity += 100;
  }
  if (now) props.set("CurrentCapacity", *now).set("MaxCapacity", *capacity);

  const double sign = discharging ? -1.0 : 1.0;
  if (present.size() == 1) {
    const Cell& c = *present.front();
    if (c.microvolts) props.set("Voltage", *c.microvolts / 1000);
    if (c.microamps) props.set("Amperage", static_cast<int64_t>(sign * std::fabs(static_cast<double>(*c.microamps) / 1000)));
  }
  std::optional<double> rate;
  for (auto* c : present) {
    if (auto w = watts(*c)) rate = rate.value_or(0) + *w;
  }
  if (rate) props.set("PowerTelemetryData", BatteryDictionary{}.set("BatteryPower", static_cast<int64_t>(std::llround(sign * *rate * 1000))));

  // Time to empty or to full from the energy left and the present rate.
  if (rate && *rate > 0 && *rate <= kMaxPlausibleWatts && now && (charging || discharging)) {
    double remaining = static_cast<double>(charging ? *capacity - *now : *now);
    double hours = -1;
    if (allEnergy) {
      hours = remaining / 1e6 / *rate;
    } else if (allCharge) {
      // Charge over current; the current follows from the rate when only power is known.
      double amps = 0;
      for (auto* c : present) {
        if (c->microamps) amps += std::fabs(static_cast<double>(*c->microamps)) / 1e6;
        else if (c->microwatts && c->microvolts && *c->microvolts != 0)
          amps += std::fabs(static_cast<double>(*c->microwatts) / static_cast<double>(*c->microvolts));
      }
      if (amps > 0) hours = remaining / 1e6 / amps;
    }
    if (hours > 0 && hours < 1e6) props.set("TimeRemaining", static_cast<int64_t>(std::llround(hours * 60)));
  }

  if (auto cycles = present.front()->cycles) props.set("CycleCount", *cycles);
  return std::optional<BatteryReading>(BatteryReading{source, BatteryProperty(std::move(props))});
}

}  // namespace kovra
