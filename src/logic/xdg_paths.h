#pragma once
// The user's and the system's configuration folders, by the freedesktop base directory rules.

#include <string>
#include <vector>

namespace kovra::XdgPaths {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config (home from $HOME, else the
// password database).
std::string configHome();
// $XDG_CONFIG_DIRS split at ':' keeping absolute entries; /etc/xdg when none is left.
std::vector<std::string> configDirs();

}  // namespace kovra::XdgPaths
