#pragma once
// Pure path rules for application bundles (.app folders): which bundle a process belongs to and
// which bundles belong to the operating system. Exact, case-sensitive string tests; no file
// system access. The Linux platform has its own notion of an app and does not use these.

#include <optional>
#include <string>
#include <string_view>

namespace kovra::ProcessBundleRules {

// The outermost ".app" bundle that contains `path`, searched from the start of the path.
std::optional<std::string> outermostAppBundle(std::string_view path);

// True for bundles that ship as part of the operating system (never offered for quitting);
// applications under /System/Applications may be quit.
bool isProtectedSystemBundle(std::string_view path);

// `path` without a leading "/System/Volumes/Data" (the slash after it stays).
std::string withoutDataVolumePrefix(std::string_view path);

}  // namespace kovra::ProcessBundleRules
