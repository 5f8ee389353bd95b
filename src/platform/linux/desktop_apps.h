#pragma once
// Which app a Linux process belongs to. In order: the systemd unit it runs in (app-*.scope,
// app-*.service, snap.*.scope), the .desktop file its launcher named (GIO_LAUNCHED_DESKTOP_FILE
// with a matching GIO_LAUNCHED_DESKTOP_FILE_PID), its Flatpak (/.flatpak-info), or the
// program a .desktop file runs. A process without a match of its own belongs to its nearest
// matched ancestor; the desktop session's own programs never belong to an app.
//
// The group key is the .desktop file's path. Processes of another user get the key
// "<path>#<uid>", so they never share a group with the user's own processes; such groups are
// protected, as are the session's infrastructure and the program's own group.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/linux/desktop_index.h"
#include "platform/linux/proc_table.h"
#include "platform/process.h"

namespace kovra::linux_proc {

// True for the programs of the desktop session itself (display server, shell, session and
// service managers, message bus, sound server), by full name or by the kernel's 15-character
// short name.
bool isSessionInfrastructure(std::string_view program);

class DesktopApps {
 public:
  DesktopApps(const ProcTable& table, DesktopIndex& index, uint32_t ownUid);

  std::optional<ProcFacts> facts(int32_t pid) const;
  std::optional<uint32_t> realUid(int32_t pid) const;
  // The executable (symbolic link of /proc/<pid>/exe), without a " (deleted)" mark.
  std::optional<std::string> executable(int32_t pid) const;

  // The group key of a process; its own match is worked out afresh, its ancestors' are
  // remembered for as long as they live.
  std::optional<std::string> groupOf(int32_t pid, const std::optional<std::string>& exe);

  platform::AppGroupInfo info(const std::string& key);
  bool isProtectedKey(const std::string& key);
  // The desktop id of the group.
  std::optional<std::string> identifier(const std::string& key);

  struct Top {
    int32_t pid;
    std::string key;
  };
  // The user's running applications among `pids`: processes of the user in an app group whose
  // parent is not in that group. With `fresh`, every process is checked again; otherwise what
  // groupOf remembered is used (the caller has just resolved every new process).
  void topProcesses(std::span<const int32_t> pids, bool fresh, std::vector<Top>& out);

  void setOwnGroup(std::string key) { ownGroup_ = std::move(key); }
  const std::string& ownGroup() const { return ownGroup_; }
  uint32_t ownUid() const { return ownUid_; }

 private:
  struct Memo {
    uint64_t startTime = 0;
    int64_t ppid = 0;
    uint32_t uid = 0;
    bool hasUid = false;
    bool uidAsked = false;             // `hasUid` tells the answer; asked only once it matters
    bool infrastructure = false;
    bool kernel = false;               // a kernel thread: never part of an app
    std::optional<std::string> own;    // its own .desktop match
    std::optional<std::string> group;  // the key it belongs to
    bool grouped = false;              // `group` was worked out (not only remembered as an ancestor)
  };
  Memo& remember(int32_t pid, const ProcFacts& f, const std::optional<std::string>& exe);
  std::optional<std::string> ownMatch(int32_t pid, Memo& m, const ProcFacts& f, const std::optional<std::string>& exe,
                                      uint64_t cgroupId);
  // The real user of a memo's process, read at the first need; false when it cannot be known.
  bool ensureUid(int32_t pid, Memo& m) const;
  // The app id the systemd unit of a cgroup names, by cgroup id.
  std::optional<std::string> appIdOfCgroup(int32_t pid, uint64_t cgroupId) const;
  std::string keyFor(const std::string& path, uint32_t uid) const;
  void prune(std::span<const int32_t> pids);

  const ProcTable& table_;
  DesktopIndex& index_;
  uint32_t ownUid_;
  // Ask the pidfd (user and cgroup id in one query) before anything else: where cgroup ids can
  // stand for what the cgroup file says. Elsewhere the user is read only for processes that
  // turn out to belong to an app.
  bool pidInfoFirst_ = false;
  std::string ownGroup_;
  std::unordered_map<int32_t, Memo> memo_;
  mutable std::unordered_map<uint64_t, std::optional<std::string>> appIdByCgroup_;
};

// "<path>#<uid>" → (path, uid); a plain path → (path, none).
std::pair<std::string, std::optional<uint32_t>> splitGroupKey(const std::string& key);

}  // namespace kovra::linux_proc
