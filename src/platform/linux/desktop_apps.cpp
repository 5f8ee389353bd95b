#include "platform/linux/desktop_apps.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <unordered_set>

#include "platform/linux/cgroup_unit.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/proc_stat.h"

namespace kovra::linux_proc {

namespace {

constexpr int kMaxAncestors = 64;

std::string pidFile(int32_t pid, const char* name) { return std::to_string(pid) + "/" + name; }

std::string baseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

bool isSessionInfrastructure(std::string_view program) {
  static constexpr std::array<std::string_view, 44> names = {
      "Xorg", "X", "Xwayland", "Xvfb", "Xvnc", "gnome-shell", "gnome-session", "gnome-session-binary",
      "gnome-session-ctl", "mutter", "kwin_x11", "kwin_wayland", "plasmashell", "ksmserver", "startplasma-x11",
      "startplasma-wayland", "plasma_session", "xfce4-session", "xfwm4", "xfce4-panel", "lxsession",
      "lxqt-session", "openbox", "weston", "sway", "Hyprland", "cinnamon", "cinnamon-session", "mate-session",
      "marco", "systemd", "dbus-daemon", "dbus-broker", "dbus-broker-launch", "pipewire", "pipewire-pulse",
      "wireplumber", "pulseaudio", "gdm", "gdm-session-worker", "gdm-wayland-session", "gdm-x-session", "sddm",
      "lightdm"};
  if (program.empty()) return false;
  for (std::string_view n : names) {
    if (program == n) return true;
    // The kernel keeps only the first 15 bytes of a process name.
    if (program.size() == 15 && n.size() > 15 && n.starts_with(program)) return true;
  }
  return false;
}

std::pair<std::string, std::optional<uint32_t>> splitGroupKey(const std::string& key) {
  size_t hash = key.rfind('#');
  if (hash == std::string::npos || hash + 1 == key.size() || key.size() - hash > 11) return {key, std::nullopt};
  uint64_t uid = 0;
  for (size_t i = hash + 1; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return {key, std::nullopt};
    uid = uid * 10 + static_cast<uint64_t>(key[i] - '0');
  }
  if (uid > UINT32_MAX) return {key, std::nullopt};
  return {key.substr(0, hash), static_cast<uint32_t>(uid)};
}

DesktopApps::DesktopApps(const ProcTable& table, DesktopIndex& index, uint32_t ownUid)
    : table_(table), index_(index), ownUid_(ownUid) {
  if (table_.unifiedCgroupsOnly()) {
    pidInfoFirst_ = true;
  } else if (table_.root() == "/proc") {
    // On a mixed layout the ids settle processes below the unified root only; whether the
    // desktop's processes sit there is judged by where this program sits.
    std::string text;
    pidInfoFirst_ = table_.readFile("self/cgroup", text, 64 * 1024) && appIdFollowsUnifiedPath(text);
  }
}

std::optional<ProcFacts> DesktopApps::facts(int32_t pid) const { return table_.facts(pid); }

std::optional<uint32_t> DesktopApps::realUid(int32_t pid) const {
  if (auto info = table_.pidInfo(pid)) return info->realUid;
  std::string text;
  if (!table_.readPiece(pidFile(pid, "status"), text, 64 * 1024)) return std::nullopt;
  return parseStatusRealUid(text);
}

std::optional<std::string> DesktopApps::executable(int32_t pid) const {
  if (table_.rootFd() < 0) return std::nullopt;
  std::array<char, 4096> buffer{};
  ssize_t n = ::readlinkat(table_.rootFd(), pidFile(pid, "exe").c_str(), buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return std::nullopt;
  std::string path(buffer.data(), static_cast<size_t>(n));
  if (path.ends_with(" (deleted)")) path.resize(path.size() - 10);
  return path;
}

std::string DesktopApps::keyFor(const std::string& path, uint32_t uid) const {
  return uid == ownUid_ ? path : path + "#" + std::to_string(uid);
}

std::optional<std::string> DesktopApps::appIdOfCgroup(int32_t pid, uint64_t cgroupId) const {
  // A cgroup id of the unified hierarchy stands for one cgroup path for good (such cgroups
  // cannot be renamed), so processes that share a cgroup share the answer whenever it follows
  // from that path alone: always with the unified hierarchy alone, and on a mixed layout when
  // the path is below the root (at the root the name=systemd hierarchy decides, and processes
  // of one unified cgroup may sit apart there). Only such answers are kept.
  if (cgroupId != 0) {
    if (auto it = appIdByCgroup_.find(cgroupId); it != appIdByCgroup_.end()) return it->second;
  }
  std::string text;
  if (!table_.readPiece(pidFile(pid, "cgroup"), text, 64 * 1024)) return std::nullopt;
  std::optional<std::string> id = appIdFromCgroup(text);
  if (cgroupId != 0 && (table_.unifiedCgroupsOnly() || appIdFollowsUnifiedPath(text))) {
    // Kept only when the process did not move to another cgroup while its file was read.
    auto again = table_.pidInfo(pid);
    if (again && again->cgroupId == cgroupId) {
      if (appIdByCgroup_.size() >= 4096) appIdByCgroup_.clear();
      appIdByCgroup_.emplace(cgroupId, id);
    }
  }
  return id;
}

std::optional<std::string> DesktopApps::ownMatch(int32_t pid, Memo& m, const ProcFacts& f,
                                                 const std::optional<std::string>& exe, uint64_t cgroupId) {
  std::string text;
  // 1. The systemd unit the launcher started it in.
  if (auto id = appIdOfCgroup(pid, cgroupId)) {
    if (auto app = index_.byId(*id + ".desktop")) return app->path;
  }
  // Where stat hid the environment's place, neither the environment nor the root can be read:
  // the same right guards all three (or the process has no memory left and is ending).
  if (!table_.environmentHidden(f)) {
    // 2. The .desktop file a launcher named in its environment, for this very process.
    if (table_.readEnvironment(pid, f, text)) {
      auto file = environValue(text, "GIO_LAUNCHED_DESKTOP_FILE");
      auto forPid = environValue(text, "GIO_LAUNCHED_DESKTOP_FILE_PID");
      if (file && forPid && *forPid == std::to_string(pid)) {
        if (!ensureUid(pid, m)) return std::nullopt;
        if (auto app = index_.byPath(*file, m.uid)) return app->path;
      }
    }
    // 3. A Flatpak sandbox names its app.
    if (table_.readFile(pidFile(pid, "root/.flatpak-info"), text, 64 * 1024)) {
      if (auto name = keyFileValue(text, "Application", "name"); name && name->find('/') == std::string::npos) {
        if (auto app = index_.byId(*name + ".desktop")) return app->path;
      }
    }
  }
  // 4. The program a .desktop file runs.
  if (exe) {
    if (auto app = index_.byExecutable(*exe)) return app->path;
  }
  return std::nullopt;
}

bool DesktopApps::ensureUid(int32_t pid, Memo& m) const {
  if (!m.uidAsked) {
    m.uidAsked = true;
    if (auto uid = realUid(pid)) {
      m.uid = *uid;
      m.hasUid = true;
    }
  }
  return m.hasUid;
}

DesktopApps::Memo& DesktopApps::remember(int32_t pid, const ProcFacts& f, const std::optional<std::string>& exe) {
  Memo m;
  m.startTime = f.startTime;
  m.ppid = f.ppid;
  uint64_t cgroupId = 0;
  if (f.isKernelThread) {
    // Kernel threads run as root, in the root cgroup, with no environment or program file.
    m.kernel = true;
    m.hasUid = true;
    m.uidAsked = true;
    return memo_.insert_or_assign(pid, std::move(m)).first->second;
  }
  if (pidInfoFirst_) {
    m.uidAsked = true;
    if (auto info = table_.pidInfo(pid)) {
      m.uid = info->realUid;
      m.hasUid = true;
      cgroupId = info->cgroupId;
    } else if (auto uid = realUid(pid)) {  // without the pidfd query: /proc/<pid>/status
      m.uid = *uid;
      m.hasUid = true;
    }
  }
  m.infrastructure = isSessionInfrastructure(exe ? baseName(*exe) : std::string()) || isSessionInfrastructure(f.comm);
  if (!m.infrastructure && (m.hasUid || !m.uidAsked)) {
    m.own = ownMatch(pid, m, f, exe, cgroupId);
    // A match counts only for a process whose user is known.
    if (m.own && !ensureUid(pid, m)) m.own.reset();
  }
  return memo_.insert_or_assign(pid, std::move(m)).first->second;
}

std::optional<std::string> DesktopApps::groupOf(int32_t pid, const std::optional<std::string>& exe) {
  auto f = facts(pid);
  if (!f) return std::nullopt;
  Memo& self = remember(pid, *f, exe);
  std::optional<std::string> group;
  if (self.own) {
    group = keyFor(*self.own, self.uid);
  } else if (!self.infrastructure && !self.kernel && (self.hasUid || !self.uidAsked)) {
    std::optional<std::string> inherited;
    int64_t parent = self.ppid;
    for (int depth = 0; depth < kMaxAncestors && parent > 1 && parent != pid; ++depth) {
      auto pf = facts(static_cast<int32_t>(parent));
      if (!pf) break;
      auto it = memo_.find(static_cast<int32_t>(parent));
      const Memo* m = nullptr;
      if (it != memo_.end() && it->second.startTime == pf->startTime) {
        m = &it->second;
      } else {
        m = &remember(static_cast<int32_t>(parent), *pf, executable(static_cast<int32_t>(parent)));
      }
      if (m->infrastructure || m->kernel) break;
      if (m->own) {
        inherited = m->own;
        break;
      }
      parent = m->ppid;
    }
    if (inherited && ensureUid(pid, self)) group = keyFor(*inherited, self.uid);
  }
  Memo& done = memo_[pid];
  done.group = group;
  done.grouped = true;
  return group;
}

platform::AppGroupInfo DesktopApps::info(const std::string& key) {
  auto [path, uid] = splitGroupKey(key);
  platform::AppGroupInfo info;
  auto app = index_.byPath(path, uid.value_or(ownUid_));
  if (app) {
    info.displayName = app->name;
    info.identifier = app->id;
  }
  info.isProtected = isProtectedKey(key);
  return info;
}

bool DesktopApps::isProtectedKey(const std::string& key) {
  auto [path, uid] = splitGroupKey(key);
  if (uid && *uid != ownUid_) return true;
  if (!ownGroup_.empty() && key == ownGroup_) return true;
  auto app = index_.byPath(path, ownUid_);
  return app && isSessionInfrastructure(app->programBase);
}

std::optional<std::string> DesktopApps::identifier(const std::string& key) {
  auto [path, uid] = splitGroupKey(key);
  auto app = index_.byPath(path, uid.value_or(ownUid_));
  if (!app) return std::nullopt;
  return app->id;
}

void DesktopApps::prune(std::span<const int32_t> pids) {
  if (memo_.size() <= pids.size() * 2 + 64) return;
  std::unordered_set<int32_t> live(pids.begin(), pids.end());
  std::erase_if(memo_, [&](const auto& node) { return !live.contains(node.first); });
}

void DesktopApps::topProcesses(std::span<const int32_t> pids, bool fresh, std::vector<Top>& out) {
  out.clear();
  prune(pids);
  std::unordered_map<int32_t, const Memo*> own;
  own.reserve(pids.size());
  for (int32_t pid : pids) {
    auto it = memo_.find(pid);
    if (fresh) {
      auto f = facts(pid);
      if (!f || f->state == 'Z' || f->state == 'X') continue;  // gone, or exited and not yet reaped
      if (it != memo_.end() && it->second.startTime == f->startTime) ensureUid(pid, it->second);
      if (it == memo_.end() || it->second.startTime != f->startTime || !it->second.hasUid) {
        auto uid = realUid(pid);
        if (!uid || *uid != ownUid_) continue;
        groupOf(pid, executable(pid));
        it = memo_.find(pid);
      }
    }
    if (it != memo_.end() && !it->second.grouped && ensureUid(pid, it->second) && it->second.uid == ownUid_) {
      // Known only as someone's ancestor so far.
      groupOf(pid, executable(pid));
      it = memo_.find(pid);
    }
    // A memo with a group knows its user.
    if (it == memo_.end() || !it->second.group || !it->second.hasUid || it->second.uid != ownUid_) continue;
    own.emplace(pid, &it->second);
  }
  for (const auto& [pid, m] : own) {
    auto parent = own.find(static_cast<int32_t>(m->ppid));
    if (parent != own.end() && parent->second->group == m->group) continue;
    if (isProtectedKey(*m->group)) continue;
    out.push_back({pid, *m->group});
  }
}

}  // namespace kovra::linux_proc
