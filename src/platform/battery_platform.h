#pragma once
// Where the battery sampler gets the battery's property dictionary from.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/result.h"

namespace kovra {

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

// The battery's properties, or absent when the machine has no battery service.
struct BatteryReading {
  std::string source;        // names the battery in failure texts, e.g. "/sys/class/power_supply/BAT0"
  BatteryProperty properties;  // normally a dictionary
};

class BatteryPlatform {
 public:
  virtual ~BatteryPlatform() = default;
  // Absent: no battery. Failure: the properties could not be read (the text names the call).
  virtual Result<std::optional<BatteryReading>, std::string> readBattery() = 0;
};

std::unique_ptr<BatteryPlatform> makeBatteryPlatform();

}  // namespace kovra
