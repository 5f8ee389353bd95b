#include "platform/macos/bundle_rules.h"

namespace kovra::ProcessBundleRules {

namespace {
constexpr std::string_view kDataVolume = "/System/Volumes/Data/";
constexpr std::string_view kCryptexes = "/System/Volumes/Preboot/Cryptexes/";
}  // namespace

std::optional<std::string> outermostAppBundle(std::string_view path) {
  constexpr std::string_view marker = ".app/";
  size_t from = 0;
  while (true) {
    size_t at = path.find(marker, from);
    if (at == std::string_view::npos) return std::nullopt;
    // A folder literally named ".app" is not a bundle.
    if (at > 0 && path[at - 1] != '/') return std::string(path.substr(0, at)) + ".app";
    from = at + marker.size();
  }
}

std::string withoutDataVolumePrefix(std::string_view path) {
  if (path.starts_with(kDataVolume)) path.remove_prefix(kDataVolume.size() - 1);
  return std::string(path);
}

bool isProtectedSystemBundle(std::string_view path) {
  std::string p = withoutDataVolumePrefix(path);
  if (std::string_view(p).starts_with(kCryptexes)) {
    std::string rest = p.substr(kCryptexes.size());
    size_t slash = rest.find('/');
    if (slash != std::string::npos) p = rest.substr(slash);
  }
  std::string_view v = p;
  if (v.starts_with("/System/Applications/")) return false;
  if (v.starts_with("/System/") || v.starts_with("/usr/")) return true;
  return v.starts_with("/Library/Apple/");
}

}  // namespace kovra::ProcessBundleRules
