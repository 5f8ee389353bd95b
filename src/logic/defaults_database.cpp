#include "logic/defaults_database.h"

namespace kovra {

std::optional<bool> DefaultsDatabase::boolValue(std::string_view key) const {
  auto v = object(key);
  if (v && std::holds_alternative<bool>(*v)) return std::get<bool>(*v);
  return std::nullopt;
}

std::optional<std::string> DefaultsDatabase::stringValue(std::string_view key) const {
  auto v = object(key);
  if (v && std::holds_alternative<std::string>(*v)) return std::get<std::string>(*v);
  return std::nullopt;
}

std::optional<DefaultsValue> InMemoryDefaults::object(std::string_view key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void InMemoryDefaults::set(std::string_view key, DefaultsValue value) {
  values_.insert_or_assign(std::string(key), std::move(value));
  writes_.emplace_back(key);
}

}  // namespace kovra
