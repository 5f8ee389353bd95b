#pragma once
// Environment switches for inspection and automated screenshots, each read once on first use.

#include <optional>
#include <string_view>

namespace kovra {

namespace ArayuzVisibilityOverride {
// KOVRA_FORCE_VISIBLE is exactly "1": the main window counts as visible while it is open and not
// minimized, even when covered or the app is hidden.
bool isForceVisible();
bool parse(const char* value);
}  // namespace ArayuzVisibilityOverride

namespace ArayuzOpenOverride {
// The page the main window opens on instead of the dashboard.
enum class Target { memory, network, disk, cpu, sensors, settings, menupanel };
std::string_view rawValue(Target target);
// KOVRA_OPEN, when it is exactly one of the seven names.
std::optional<Target> target();
std::optional<Target> parseTarget(const char* value);
// KOVRA_SCROLL is exactly "bottom": detail pages scroll to their bottom anchor when they appear.
bool scrollsToBottom();
bool parseScroll(const char* value);
// The identifier of the anchor at the bottom of every detail page.
inline constexpr std::string_view kBottomAnchor = "arayuz-denetim-alt";
}  // namespace ArayuzOpenOverride

}  // namespace kovra
