#pragma once
// Finds the app a process was started as from the systemd unit in /proc/<pid>/cgroup.

#include <optional>
#include <string>
#include <string_view>

namespace kovra::linux_proc {

// The desktop id (without ".desktop") named by one unit name:
//   app-<AppID>-<n>.scope, app-<launcher>-<AppID>-<n>.scope, app-<AppID>[@<x>].service,
//   app-<launcher>-<AppID>[@<x>].service (launcher "flatpak" included), and
//   snap.<name>.<app>-<uuid>.scope (desktop id <name>_<app>).
// "\xNN" escapes are undone; ids that could leave a folder ("/", "..") are refused.
std::optional<std::string> appIdFromUnit(std::string_view unit);

// The innermost app unit of the process's cgroup path (the unified hierarchy, or else the
// name=systemd one).
std::optional<std::string> appIdFromCgroup(std::string_view cgroupFile);

// True when the answer of appIdFromCgroup depends on the unified hierarchy's path alone: the
// file has that line and it names a cgroup below the root. Processes in one such cgroup then
// share the answer whatever their other hierarchies say.
bool appIdFollowsUnifiedPath(std::string_view cgroupFile);

}  // namespace kovra::linux_proc
