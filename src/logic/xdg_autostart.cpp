#include "logic/xdg_autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "logic/atomic_file.h"
#include "logic/xdg_paths.h"

namespace kovra {

namespace {

constexpr std::string_view kEntryName = "kovra.desktop";
constexpr std::string_view kGroup = "[Desktop Entry]";

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// One argument of an Exec line: quoted when it holds anything but plain characters, with the
// characters the quoting rules reserve escaped; "%" doubled as field codes demand. The whole line
// is then escaped once more as a string value (backslashes doubled).
std::string execArgument(std::string_view arg) {
  bool plain = !arg.empty();
  for (char c : arg) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '-' || c == '_' || c == '+' ||
          c == ',' || c == ':' || c == '@' || c == '%' || static_cast<unsigned char>(c) >= 0x80)) {
      plain = false;
    }
  }
  std::string out;
  if (!plain) out += '"';
  for (char c : arg) {
    if (!plain && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  if (!plain) out += '"';
  std::string escaped;
  for (char c : out) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

std::string hiddenAutostartEntry(std::string_view text) {
  std::string out;
  bool inGroup = false;
  bool placed = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view t = trim(line);
    if (!t.empty() && t.front() == '[') {
      if (inGroup && !placed) {
        out += "Hidden=true\n";
        placed = true;
      }
      inGroup = t == kGroup;
    } else if (inGroup) {
      auto eq = t.find('=');
      if (eq != std::string_view::npos && trim(t.substr(0, eq)) == "Hidden") {
        if (!placed) out += "Hidden=true\n";
        placed = true;
        continue;
      }
    }
    out.append(line);
    out += '\n';
  }
  if (!placed) {
    if (!inGroup) out += std::string(kGroup) + "\nType=Application\nName=Kovra\n";
    out += "Hidden=true\n";
  }
  return out;
}

bool AutostartEntryInfo::isEnabled() const { return type == "Application" && !hidden && !gnomeAutostartDisabled; }

AutostartEntryInfo parseAutostartEntry(std::string_view text) {
  AutostartEntryInfo info;
  bool inGroup = false;
  bool seenGroup = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string_view line = trim(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      // Only the first [Desktop Entry] group counts.
      inGroup = line == kGroup && !seenGroup;
      seenGroup = seenGroup || inGroup;
      continue;
    }
    if (!inGroup) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    const std::string_view value = trim(line.substr(eq + 1));
    if (key == "Type") info.type = std::string(value);
    else if (key == "Hidden") info.hidden = value == "true";
    else if (key == "X-GNOME-Autostart-enabled") info.gnomeAutostartDisabled = value == "false";
  }
  return info;
}

XdgAutostartLoginItem::XdgAutostartLoginItem(std::string userConfigDir, std::vector<std::string> systemConfigDirs,
                                             std::string execCommand)
    : userConfigDir_(std::move(userConfigDir)),
      systemConfigDirs_(std::move(systemConfigDirs)),
      execCommand_(std::move(execCommand)) {}

std::string XdgAutostartLoginItem::userEntryPath() const {
  return userConfigDir_ + "/autostart/" + std::string(kEntryName);
}

std::optional<std::string> XdgAutostartLoginItem::systemEntryPath() const {
  for (const auto& dir : systemConfigDirs_) {
    std::string path = dir + "/autostart/" + std::string(kEntryName);
    if (isFile(path)) return path;
  }
  return std::nullopt;
}

namespace {

bool entryEnabled(const std::string& path, FileIO::FileIdentity* seen = nullptr) {
  auto text = FileIO::readWhole(path, 1 << 20, seen);
  return text.ok() && parseAutostartEntry(*text).isEnabled();
}

}  // namespace

LoginItemStatus XdgAutostartLoginItem::status() {
  // The user's entry, whatever it says, shadows every system-wide one of the same name.
  const std::string user = userEntryPath();
  FileIO::FileIdentity seen;
  const bool userEnabled = entryEnabled(user, &seen);
  userEntrySeen_ = seen;
  if (exists(user)) return userEnabled ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
  if (auto system = systemEntryPath(); system && entryEnabled(*system)) return LoginItemStatus::enabled;
  return LoginItemStatus::notRegistered;
}

Result<Unit, std::string> XdgAutostartLoginItem::writeUserEntry(const std::string& contents) {
  // The same rules as the settings: a link is written through only if it is the one last read.
  auto written = FileIO::writeAtomically(userEntryPath(), contents, 0644, userEntrySeen_);
  if (!written.ok()) return Failure{written.error()};
  userEntrySeen_ = *written;
  return Unit{};
}

Result<Unit, std::string> XdgAutostartLoginItem::registerItem() {
  std::string entry;
  entry += std::string(kGroup) + "\n";
  entry += "Type=Application\n";
  entry += "Name=Kovra\n";
  entry += "Exec=" + execArgument(execCommand_) + "\n";
  entry += "Terminal=false\n";
  entry += "X-GNOME-Autostart-enabled=true\n";
  return writeUserEntry(entry);
}

Result<Unit, std::string> XdgAutostartLoginItem::unregisterItem() {
  const std::string user = userEntryPath();
  const std::optional<std::string> system = systemEntryPath();
  const bool systemEnabled = system && entryEnabled(*system);
  if (systemEnabled) {
    // Removing our entry would let the system-wide one start the program again: hide it instead.
    auto text = FileIO::readWhole(*system);
    return writeUserEntry(hiddenAutostartEntry(text.ok() ? *text : std::string()));
  }
  if (exists(user) && ::unlink(user.c_str()) != 0 && errno != ENOENT) {
    return Failure{FileIO::describeErrno("unlink", user, errno)};
  }
  return Unit{};
}

std::shared_ptr<XdgAutostartLoginItem> XdgAutostartLoginItem::standard() {
  std::string exe = "kovra";
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) exe.assign(buffer, static_cast<size_t>(n));
  return std::make_shared<XdgAutostartLoginItem>(XdgPaths::configHome(), XdgPaths::configDirs(), exe);
}

}  // namespace kovra
