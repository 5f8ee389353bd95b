#include "platform/linux/desktop_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <set>

#include "platform/linux/desktop_entry.h"

namespace kovra::linux_proc {

namespace {

uint64_t nowNanos() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

int64_t mtimeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec;
}

std::string baseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Programs that run other programs: matching them would put every script of the machine into
// one app.
bool isLauncherProgram(const std::string& base) {
  static const std::set<std::string, std::less<>> launchers = {
      "sh", "bash", "dash", "zsh", "fish", "ksh", "csh", "tcsh", "env", "python", "python2", "python3",
      "perl", "ruby", "node", "java", "mono", "gjs", "flatpak", "snap", "sudo", "pkexec", "xdg-open", "gio"};
  if (launchers.contains(base)) return true;
  return base.starts_with("python3.");
}

}  // namespace

bool readSmallFile(const std::string& path, std::string& out, size_t limit) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    // Desktop files may be symbolic links (distribution packaging does that); follow them.
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > limit) {
    ::close(fd);
    return false;
  }
  std::array<char, 8192> chunk{};
  while (out.size() <= limit) {
    ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(chunk.data(), static_cast<size_t>(n));
  }
  ::close(fd);
  return out.size() <= limit;
}

DesktopIndex::DesktopIndex(std::vector<std::string> folders, std::string searchPath)
    : folders_(std::move(folders)), searchPath_(std::move(searchPath)) {}

std::vector<std::string> DesktopIndex::foldersFrom(const Getenv& getenv) {
  std::vector<std::string> folders;
  auto add = [&](const std::string& base, const char* tail) {
    if (base.empty() || base.front() != '/') return;  // relative entries are ignored
    std::string f = base;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    f += tail;
    if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
  };
  auto home = getenv("HOME");
  auto dataHome = getenv("XDG_DATA_HOME");
  if (dataHome && !dataHome->empty()) {
    add(*dataHome, "/applications");
  } else if (home) {
    add(*home + "/.local/share", "/applications");
  }
  auto dataDirs = getenv("XDG_DATA_DIRS");
  std::string dirs = dataDirs && !dataDirs->empty() ? *dataDirs : "/usr/local/share/:/usr/share/";
  size_t at = 0;
  while (at <= dirs.size()) {
    size_t colon = dirs.find(':', at);
    add(dirs.substr(at, colon == std::string::npos ? std::string::npos : colon - at), "/applications");
    if (colon == std::string::npos) break;
    at = colon + 1;
  }
  add("/var/lib/snapd/desktop", "/applications");
  return folders;
}

DesktopIndex& DesktopIndex::shared() {
  static DesktopIndex index = [] {
    auto env = [](const char* name) -> std::optional<std::string> {
      const char* v = std::getenv(name);
      return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const char* path = std::getenv("PATH");
    return DesktopIndex(foldersFrom(env), path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
  }();
  return index;
}

int DesktopIndex::scanCount() const {
  std::lock_guard g(mutex_);
  return scans_;
}

void DesktopIndex::refreshIfChanged() {
  uint64_t now = nowNanos();
  if (scanned_ && now - lastCheck_ < checkInterval_) return;
  lastCheck_ = now;
  bool changed = !scanned_;
  for (size_t i = 0; !changed && i < stamps_.size(); ++i) {
    changed = mtimeOf(stamps_[i].first) != stamps_[i].second;
  }
  if (changed) scan();
}

void DesktopIndex::scan() {
  scanned_ = true;
  ++scans_;
  stamps_.clear();
  byId_.clear();
  idByPath_.clear();
  idByExecutable_.clear();
  for (const auto& folder : folders_) scanFolder(folder, folder, "", 0);
}

void DesktopIndex::scanFolder(const std::string& top, const std::string& folder, const std::string& idPrefix,
                              int depth) {
  stamps_.emplace_back(folder, mtimeOf(folder));
  if (depth > 4) return;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* d = ::readdir(dir)) {
    std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  std::string text;
  for (const auto& name : names) {
    std::string path = folder + "/" + name;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      scanFolder(top, path, idPrefix + name + "-", depth + 1);
      continue;
    }
    if (!name.ends_with(".desktop") || !S_ISREG(st.st_mode)) continue;
    std::string id = idPrefix + name;
    if (byId_.contains(id)) continue;  // an earlier folder holds this id
    DesktopApp app{path, id, {}, {}};
    std::optional<DesktopEntry> entry;
    if (readSmallFile(path, text)) entry = parseDesktopEntry(text);
    bool usable = entry && !entry->hidden && entry->type == "Application";
    if (usable) {
      app.name = !entry->nameTr.empty() ? entry->nameTr : entry->name;
      if (auto program = execProgram(entry->exec)) app.programBase = baseName(*program);
      for (const std::string* source : {&entry->tryExec, &entry->exec}) {
        auto program = source == &entry->tryExec ? (source->empty() ? std::nullopt : std::optional(*source))
                                                 : execProgram(*source);
        if (!program || isLauncherProgram(baseName(*program))) continue;
        if (auto real = resolveProgram(*program)) idByExecutable_.emplace(*real, id);
      }
      idByPath_.emplace(path, id);
    } else {
      app.path.clear();  // hidden or not an application: the id is taken, nothing is indexed
    }
    byId_.emplace(id, std::move(app));
  }
  (void)top;
}

std::optional<std::string> DesktopIndex::resolveProgram(const std::string& program) const {
  auto real = [](const std::string& p) -> std::optional<std::string> {
    if (::access(p.c_str(), X_OK) != 0) return std::nullopt;
    char buffer[PATH_MAX];
    if (!::realpath(p.c_str(), buffer)) return std::nullopt;
    return std::string(buffer);
  };
  if (program.find('/') != std::string::npos) {
    if (program.front() != '/') return std::nullopt;
    return real(program);
  }
  size_t at = 0;
  while (at <= searchPath_.size()) {
    size_t colon = searchPath_.find(':', at);
    std::string dir = searchPath_.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
    if (!dir.empty() && dir.front() == '/') {
      if (auto r = real(dir + "/" + program)) return r;
    }
    if (colon == std::string::npos) break;
    at = colon + 1;
  }
  return std::nullopt;
}

std::optional<DesktopApp> DesktopIndex::byId(std::string_view desktopId) {
  std::lock_guard g(mutex_);
  refreshIfChanged();
  auto it = byId_.find(std::string(desktopId));
  if (it == byId_.end() || it->second.path.empty()) return std::nullopt;
  return it->second;
}

std::optional<DesktopApp> DesktopIndex::byExecutable(std::string_view executable) {
  std::lock_guard g(mutex_);
  refreshIfChanged();
  std::string key(executable);
  if (key.ends_with(" (deleted)")) key.resize(key.size() - 10);
  auto it = idByExecutable_.find(key);
  if (it == idByExecutable_.end()) return std::nullopt;
  return byId_.at(it->second);
}

std::optional<DesktopApp> DesktopIndex::byPath(std::string_view path, uint32_t ownerUid) {
  std::string p(path);
  {
    std::lock_guard g(mutex_);
    refreshIfChanged();
    if (auto it = idByPath_.find(p); it != idByPath_.end()) return byId_.at(it->second);
  }
  // A file outside the folders, as a launcher may name: only plain .desktop files that the
  // process's own user or root owns.
  if (p.empty() || p.front() != '/' || !p.ends_with(".desktop")) return std::nullopt;
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_uid != 0 && st.st_uid != ownerUid)) {
    return std::nullopt;
  }
  std::string text;
  if (!readSmallFile(p, text)) return std::nullopt;
  auto entry = parseDesktopEntry(text);
  if (!entry || entry->hidden || entry->type != "Application") return std::nullopt;
  DesktopApp app{p, baseName(p), !entry->nameTr.empty() ? entry->nameTr : entry->name, {}};
  if (auto program = execProgram(entry->exec)) app.programBase = baseName(*program);
  return app;
}

}  // namespace kovra::linux_proc
