#pragma once
// The defaults database the settings live in: typed values under string keys. The live one is a
// JSON file (json_defaults.h); tests use the in-memory one below.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace kovra {

// A stored value. Whatever else a store may hold (lists, tables, null) reads as no value here.
using DefaultsValue = std::variant<bool, int64_t, double, std::string>;

class DefaultsDatabase {
 public:
  virtual ~DefaultsDatabase() = default;
  // The stored object for `key`, none when there is no usable one.
  virtual std::optional<DefaultsValue> object(std::string_view key) const = 0;
  // Stores `value` under `key`. Failing to persist it is the store's to report (it logs).
  virtual void set(std::string_view key, DefaultsValue value) = 0;
  // Why the values set last are not persisted, in words for the user; none once they are.
  virtual std::optional<std::string> saveProblem() const { return std::nullopt; }

  // The stored boolean; none when missing or of another type.
  std::optional<bool> boolValue(std::string_view key) const;
  // The stored text; none when missing or of another type.
  std::optional<std::string> stringValue(std::string_view key) const;
};

// Keeps everything in memory and remembers every write, for tests and previews.
class InMemoryDefaults final : public DefaultsDatabase {
 public:
  InMemoryDefaults() = default;
  explicit InMemoryDefaults(std::map<std::string, DefaultsValue, std::less<>> values) : values_(std::move(values)) {}

  std::optional<DefaultsValue> object(std::string_view key) const override;
  void set(std::string_view key, DefaultsValue value) override;

  // Keys in the order they were written, one entry per write.
  const std::vector<std::string>& writes() const { return writes_; }
  const std::map<std::string, DefaultsValue, std::less<>>& values() const { return values_; }

 private:
  std::map<std::string, DefaultsValue, std::less<>> values_;
  std::vector<std::string> writes_;
};

}  // namespace kovra
