#include "platform/macos/battery_properties.h"

#include <cmath>
#include <limits>
#include <string>

namespace kovra::macos {

namespace {

std::optional<double> batteryDouble(const BatteryProperty* value) {
  if (value == nullptr) return std::nullopt;
  if (const auto* b = std::get_if<bool>(&value->value)) return *b ? 1.0 : 0.0;
  if (const auto* i = std::get_if<int64_t>(&value->value)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&value->value)) return *d;
  return std::nullopt;
}

const BatteryDictionary* dictionaryAt(const BatteryDictionary& d, std::string_view key) {
  const BatteryProperty* p = d.find(key);
  return p != nullptr ? p->dictionary() : nullptr;
}

std::optional<double> batteryPower(const BatteryDictionary& props, const BatteryDictionary* telemetry) {
  if (telemetry != nullptr) {
    if (auto mw = batteryDouble(telemetry->find("BatteryPower"))) return *mw / 1000.0;
  }
  auto voltage = batteryInt64(props.find("Voltage"));
  auto amperage = batteryInt64(props.find("Amperage"));
  if (voltage && amperage) return static_cast<double>(*voltage) * static_cast<double>(*amperage) / 1'000'000.0;
  return std::nullopt;
}

std::optional<double> adapterInput(const BatteryDictionary* telemetry) {
  if (telemetry == nullptr) return std::nullopt;
  auto mw = batteryDouble(telemetry->find("SystemPowerIn"));
  if (mw && *mw > 0) return *mw / 1000.0;
  return std::nullopt;
}

std::optional<int64_t> adapterRated(const BatteryDictionary& props) {
  const BatteryDictionary* details = dictionaryAt(props, "AdapterDetails");
  if (details == nullptr) return std::nullopt;
  auto watts = batteryInt64(details->find("Watts"));
  if (watts && *watts > 0) return watts;
  return std::nullopt;
}

std::optional<int64_t> timeRemaining(const BatteryDictionary& props) {
  auto minutes = batteryInt64(props.find("TimeRemaining"));
  if (minutes && *minutes > 0 && *minutes != 0xFFFF) return minutes;
  return std::nullopt;
}

}  // namespace

std::optional<bool> batteryBool(const BatteryProperty* value) {
  auto d = batteryDouble(value);
  if (!d) return std::nullopt;
  return *d != 0.0;
}

std::optional<int64_t> batteryInt64(const BatteryProperty* value) {
  if (value == nullptr) return std::nullopt;
  if (const auto* i = std::get_if<int64_t>(&value->value)) return *i;
  if (const auto* b = std::get_if<bool>(&value->value)) return *b ? 1 : 0;
  if (const auto* d = std::get_if<double>(&value->value)) {
    // A real outside the 64-bit range would be undefined to convert: clamp it instead.
    if (std::isnan(*d)) return std::nullopt;
    if (*d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (*d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(*d);
  }
  return std::nullopt;
}

SampleResult<std::optional<BatterySnapshot>> batterySnapshotFromProperties(std::string_view source,
                                                                           const BatteryProperty& properties) {
  const std::string prefix = std::string(source) + ": ";
  const BatteryDictionary* dict = properties.dictionary();
  if (dict == nullptr) return unreadable(prefix + "özellikler sözlük değil");
  const BatteryDictionary& props = *dict;

  if (auto installed = batteryBool(props.find("BatteryInstalled")); installed && !*installed) {
    return std::optional<BatterySnapshot>{};
  }

  auto current = batteryInt64(props.find("CurrentCapacity"));
  if (!current) return unreadable(prefix + "CurrentCapacity okunamadı");
  auto max = batteryInt64(props.find("MaxCapacity"));
  if (!max) return unreadable(prefix + "MaxCapacity okunamadı");
  if (*max < 1) return unreadable(prefix + "MaxCapacity " + std::to_string(*max));
  auto external = batteryBool(props.find("ExternalConnected"));
  if (!external) return unreadable(prefix + "ExternalConnected okunamadı");
  auto charging = batteryBool(props.find("IsCharging"));
  if (!charging) return unreadable(prefix + "IsCharging okunamadı");
  auto full = batteryBool(props.find("FullyCharged"));
  if (!full) return unreadable(prefix + "FullyCharged okunamadı");

  BatterySnapshot s;
  const double fraction = static_cast<double>(*current) / static_cast<double>(*max);
  s.chargeFraction = !(fraction > 0) ? 0.0 : (fraction > 1 ? 1.0 : fraction);
  s.isPluggedIn = *external;
  s.isCharging = *charging;
  s.isFullyCharged = *full;

  const BatteryDictionary* telemetry = dictionaryAt(props, "PowerTelemetryData");
  s.batteryPowerWatts = batteryPower(props, telemetry);
  if (s.isPluggedIn) {
    s.adapterInputWatts = adapterInput(telemetry);
    s.adapterRatedWatts = adapterRated(props);
  }
  s.timeRemainingMinutes = timeRemaining(props);
  if (auto cycles = batteryInt64(props.find("CycleCount")); cycles && *cycles >= 0) s.cycleCount = cycles;
  return std::optional<BatterySnapshot>(s);
}

}  // namespace kovra::macos
