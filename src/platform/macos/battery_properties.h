#pragma once
// The macOS side of the battery: the power source's property dictionary (keys such as
// "CurrentCapacity", "ExternalConnected", "PowerTelemetryData") turned into a BatterySnapshot.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/records.h"
#include "core/sampler_error.h"

namespace kovra::macos {

struct BatteryProperty;

// A text-keyed dictionary of property values, in insertion order; setting a key twice replaces it.
struct BatteryDictionary {
  std::vector<std::pair<std::string, BatteryProperty>> entries;

  const BatteryProperty* find(std::string_view key) const;
  BatteryDictionary& set(std::string key, BatteryProperty value);
  bool operator==(const BatteryDictionary&) const;
};

// One property value. Flags, integers and reals are all numbers; texts and dictionaries are not.
struct BatteryProperty {
  std::variant<std::monostate, bool, int64_t, double, std::string, BatteryDictionary> value;

  BatteryProperty() = default;
  BatteryProperty(bool b) : value(b) {}                              // NOLINT(google-explicit-constructor)
  BatteryProperty(int v) : value(int64_t{v}) {}                      // NOLINT
  BatteryProperty(int64_t v) : value(v) {}                           // NOLINT
  BatteryProperty(double v) : value(v) {}                            // NOLINT
  BatteryProperty(const char* s) : value(std::string(s)) {}          // NOLINT
  BatteryProperty(std::string s) : value(std::move(s)) {}            // NOLINT
  BatteryProperty(BatteryDictionary d) : value(std::move(d)) {}      // NOLINT

  const BatteryDictionary* dictionary() const { return std::get_if<BatteryDictionary>(&value); }
  bool operator==(const BatteryProperty&) const = default;
};

inline const BatteryProperty* BatteryDictionary::find(std::string_view key) const {
  for (const auto& [k, v] : entries)
    if (k == key) return &v;
  return nullptr;
}

inline BatteryDictionary& BatteryDictionary::set(std::string key, BatteryProperty value) {
  for (auto& [k, v] : entries)
    if (k == key) {
      v = std::move(value);
      return *this;
    }
  entries.emplace_back(std::move(key), std::move(value));
  return *this;
}

inline bool BatteryDictionary::operator==(const BatteryDictionary& other) const { return entries == other.entries; }


// A number's truth value; anything that is not a number counts as missing.
std::optional<bool> batteryBool(const BatteryProperty* value);
// A number's signed 64-bit value (reals are truncated and clamped; not-a-number is missing).
std::optional<int64_t> batteryInt64(const BatteryProperty* value);

// Applies the rules to one reading. `source` names the battery in failure texts. Absent when the
// properties say no battery is installed.
SampleResult<std::optional<BatterySnapshot>> batterySnapshotFromProperties(std::string_view source,
                                                                           const BatteryProperty& properties);

}  // namespace kovra::macos
