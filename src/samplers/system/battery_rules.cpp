#include "samplers/system/battery_rules.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kovra {

namespace {

int64_t addCapped(int64_t a, int64_t b) {
  int64_t out = 0;
  if (__builtin_add_overflow(a, b, &out)) return b < 0 ? INT64_MIN : INT64_MAX;
  return out;
}

// The battery's power in watts, positive; from power_now, else voltage × current.
std::optional<double> watts(const BatteryCell& c) {
  if (c.powerNow) return std::fabs(static_cast<double>(*c.powerNow)) / 1e6;
  if (c.voltageNow && c.currentNow)
    return std::fabs(static_cast<double>(*c.voltageNow) * static_cast<double>(*c.currentNow)) / 1e12;
  return std::nullopt;
}

bool hasEnergy(const BatteryCell* c) { return c->energyNow && c->energyFull; }
bool hasCharge(const BatteryCell* c) { return !hasEnergy(c) && c->chargeNow && c->chargeFull; }

}  // namespace

SampleResult<std::optional<BatterySnapshot>> batterySnapshot(const PowerSupplies& supplies) {
  const std::string prefix = supplies.source + ": ";
  std::vector<const BatteryCell*> present;
  for (const auto& c : supplies.batteries)
    if (c.present) present.push_back(&c);
  if (present.empty()) return std::optional<BatterySnapshot>{};

  auto any = [&](SupplyStatus s) { return std::any_of(present.begin(), present.end(), [s](auto* c) { return c->status == s; }); };
  const bool charging = any(SupplyStatus::charging);
  const bool discharging = !charging && any(SupplyStatus::discharging);
  const bool full = std::all_of(present.begin(), present.end(), [](auto* c) { return c->status == SupplyStatus::full; });

  // Capacities add up when every battery reports the same unit; otherwise percentages are used.
  const bool allEnergy = std::all_of(present.begin(), present.end(), hasEnergy);
  const bool allCharge = std::all_of(present.begin(), present.end(), hasCharge);
  std::optional<int64_t> now, capacity;
  if (allEnergy || allCharge) {
    now = 0, capacity = 0;
    for (auto* c : present) {
      *now = addCapped(*now, allEnergy ? *c->energyNow : *c->chargeNow);
      *capacity = addCapped(*capacity, allEnergy ? *c->energyFull : *c->chargeFull);
    }
  } else if (std::all_of(present.begin(), present.end(), [](auto* c) { return c->capacityPercent.has_value(); })) {
    now = 0, capacity = 0;
    for (auto* c : present) *now = addCapped(*now, *c->capacityPercent), *capacity = addCapped(*capacity, 100);
  }
  if (!now) return unreadable(prefix + "CurrentCapacity okunamadı");
  if (*capacity < 1) return unreadable(prefix + "MaxCapacity " + std::to_string(*capacity));

  BatterySnapshot s;
  const double fraction = static_cast<double>(*now) / static_cast<double>(*capacity);
  s.chargeFraction = !(fraction > 0) ? 0.0 : (fraction > 1 ? 1.0 : fraction);
  s.isPluggedIn = supplies.externalOnline;
  s.isCharging = charging;
  s.isFullyCharged = full;

  const double sign = discharging ? -1.0 : 1.0;
  std::optional<double> rate;
  for (auto* c : present) {
    if (auto w = watts(*c)) rate = rate.value_or(0) + *w;
  }
  // Whole milliwatts; a figure too large for that is no real battery's.
  if (rate && *rate * 1000 < 9e18) s.batteryPowerWatts = static_cast<double>(std::llround(sign * *rate * 1000)) / 1000.0;

  // Time to empty or to full from the energy left and the present rate.
  if (rate && *rate > 0 && *rate <= kMaxPlausibleBatteryWatts && (charging || discharging)) {
    const double remaining = charging ? static_cast<double>(*capacity) - static_cast<double>(*now) : static_cast<double>(*now);
    double hours = -1;
    if (allEnergy) {
      hours = remaining / 1e6 / *rate;
    } else if (allCharge) {
      // Charge over current; the current follows from the rate when only power is known.
      double amps = 0;
      for (auto* c : present) {
        if (c->currentNow) amps += std::fabs(static_cast<double>(*c->currentNow)) / 1e6;
        else if (c->powerNow && c->voltageNow && *c->voltageNow != 0)
          amps += std::fabs(static_cast<double>(*c->powerNow) / static_cast<double>(*c->voltageNow));
      }
      if (amps > 0) hours = remaining / 1e6 / amps;
    }
    if (hours > 0 && hours < 1e6) {
      const int64_t minutes = std::llround(hours * 60);
      if (minutes > 0 && minutes != 0xFFFF) s.timeRemainingMinutes = minutes;
    }
  }

  if (auto cycles = present.front()->cycleCount; cycles && *cycles >= 0) s.cycleCount = cycles;
  return std::optional<BatterySnapshot>(s);
}

}  // namespace kovra
