#include "logic/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace kovra::XdgPaths {

namespace {

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
  return "/";
}

}  // namespace

std::string configHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  std::string home = homeFolder();
  if (home.size() > 1 && home.back() == '/') home.pop_back();
  return (home == "/" ? "" : home) + "/.config";
}

std::vector<std::string> configDirs() {
  std::vector<std::string> out;
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS")) {
    std::string_view rest(dirs);
    while (!rest.empty()) {
      const size_t colon = rest.find(':');
      std::string_view part = rest.substr(0, colon);
      if (!part.empty() && part.front() == '/') out.emplace_back(part);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  if (out.empty()) out.emplace_back("/etc/xdg");
  return out;
}

}  // namespace kovra::XdgPaths
