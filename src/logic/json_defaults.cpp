#include "logic/json_defaults.h"

namespace kovra {

JsonFileDefaults::JsonFileDefaults(std::string path) : path_(std::move(path)) {}

std::optional<DefaultsValue> JsonFileDefaults::object(std::string_view) const { return std::nullopt; }
void JsonFileDefaults::set(std::string_view, DefaultsValue) {}
std::string JsonFileDefaults::standardPath() { return {}; }
std::shared_ptr<JsonFileDefaults> JsonFileDefaults::standard() { return std::make_shared<JsonFileDefaults>(standardPath()); }
bool JsonFileDefaults::keepAsideIfNeeded() { return true; }
bool JsonFileDefaults::writeFile() { return true; }

}  // namespace kovra
