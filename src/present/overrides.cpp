#include "present/overrides.h"

#include <cstdlib>
#include <string_view>

namespace kovra {

namespace ArayuzVisibilityOverride {
bool parse(const char* value) { return value && std::string_view(value) == "1"; }

bool isForceVisible() {
  static const bool value = parse(std::getenv("KOVRA_FORCE_VISIBLE"));
  return value;
}
}  // namespace ArayuzVisibilityOverride

namespace ArayuzOpenOverride {
namespace {
constexpr Target kAllTargets[] = {Target::memory, Target::network, Target::disk,     Target::cpu,
                                  Target::sensors, Target::settings, Target::menupanel};
}

std::string_view rawValue(Target target) {
  switch (target) {
    case Target::memory: return "memory";
    case Target::network: return "network";
    case Target::disk: return "disk";
    case Target::cpu: return "cpu";
    case Target::sensors: return "sensors";
    case Target::settings: return "settings";
    case Target::menupanel: return "menupanel";
  }
  return {};
}

std::optional<Target> parseTarget(const char* value) {
  if (!value) return std::nullopt;
  std::string_view text(value);
  for (auto t : kAllTargets) {
    if (rawValue(t) == text) return t;
  }
  return std::nullopt;
}

std::optional<Target> target() {
  static const std::optional<Target> value = parseTarget(std::getenv("KOVRA_OPEN"));
  return value;
}

bool parseScroll(const char* value) { return value && std::string_view(value) == "bottom"; }

bool scrollsToBottom() {
  static const bool value = parseScroll(std::getenv("KOVRA_SCROLL"));
  return value;
}
}  // namespace ArayuzOpenOverride

}  // namespace kovra
