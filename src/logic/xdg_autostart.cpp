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

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Undoes the escapes of a string value (\s \n \t \r \\); other escapes are left for the Exec
// quoting rules, as many writers put them there directly. None when the value ends in a lone "\".
std::optional<std::string> unescapeStringValue(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    if (++i == value.size()) return std::nullopt;
    switch (value[i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\'; out += value[i];
    }
  }
  return out;
}

}  // namespace

std::optional<std::vector<std::string>> splitExecValue(std::string_view value) {
  const std::optional<std::string> line = unescapeStringValue(value);
  if (!line) return std::nullopt;
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (size_t i = 0; i < line->size(); ++i) {
    const char c = (*line)[i];
    const bool hasNext = i + 1 < line->size();
    const char next = hasNext ? (*line)[i + 1] : '\0';
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && (next == '"' || next == '`' || next == '$' || next == '\\')) {
        current += next;
        ++i;
      } else if (c == '%' && next == '%') {
        current += '%';
        ++i;
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      inArgument = true;
      if (c == '"') {
        quoted = true;
      } else if (c == '%' && next == '%') {
        current += '%';
        ++i;
      } else {
        current += c;
      }
    }
  }
  if (quoted) return std::nullopt;
  if (inArgument) args.push_back(std::move(current));
  return args;
}

std::string execValueFor(std::string_view program) { return execArgument(program); }

std::string programPathFromProcLink(std::string link) {
  constexpr std::string_view kDeleted = " (deleted)";
  if (link.size() > kDeleted.size() && link.ends_with(kDeleted)) link.resize(link.size() - kDeleted.size());
  return link;
}

namespace {

// `text` with `key`'s line in the [Desktop Entry] group made `replacement` (added at the group's
// end when it has none); a minimal group holding it when there is no group.
std::string withEntryLine(std::string_view text, std::string_view key, const std::string& replacement) {
  std::string out;
  bool inGroup = false;
  bool placed = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string_view current = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view t = trim(current);
    if (!t.empty() && t.front() == '[') {
      if (inGroup && !placed) {
        out += replacement + "\n";
        placed = true;
      }
      inGroup = t == kGroup;
    } else if (inGroup) {
      auto eq = t.find('=');
      if (eq != std::string_view::npos && trim(t.substr(0, eq)) == key) {
        if (!placed) out += replacement + "\n";
        placed = true;
        continue;
      }
    }
    out.append(current);
    out += '\n';
  }
  if (!placed) {
    if (!inGroup) out += std::string(kGroup) + "\nType=Application\nName=Kovra\n";
    out += replacement + "\n";
  }
  return out;
}

}  // namespace

std::string hiddenAutostartEntry(std::string_view text) { return withEntryLine(text, "Hidden", "Hidden=true"); }

std::string autostartEntryWithExec(std::string_view text, std::string_view execValue) {
  return withEntryLine(text, "Exec", "Exec=" + std::string(execValue));
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
    else if (key == "Exec") info.exec = std::string(value);
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
  entry += "Icon=com.example.Kovra\n";
  entry += "Exec=" + execValueFor(execCommand_) + "\n";
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

Result<bool, std::string> XdgAutostartLoginItem::refreshExec() {
  if (execCommand_.empty() || execCommand_.front() != '/') return false;
  const std::string user = userEntryPath();
  FileIO::FileIdentity seen;
  auto text = FileIO::readWhole(user, 1 << 20, &seen);
  userEntrySeen_ = seen;
  if (!text.ok()) {
    if (text.error().missing) return false;
    return Failure{text.error().description};
  }
  const AutostartEntryInfo info = parseAutostartEntry(*text);
  if (!info.isEnabled() || !info.exec) return false;
  const auto args = splitExecValue(*info.exec);
  if (!args || args->size() != 1) return false;
  const std::string& old = args->front();
  const size_t slash = old.rfind('/');
  if (old.empty() || old.front() != '/' || old.substr(slash + 1) != "kovra") return false;
  if (old == execCommand_ || isExecutableFile(old)) return false;
  auto written = writeUserEntry(autostartEntryWithExec(*text, execValueFor(execCommand_)));
  if (!written.ok()) return Failure{written.error()};
  return true;
}

std::shared_ptr<XdgAutostartLoginItem> XdgAutostartLoginItem::standard(std::optional<std::string> programPath) {
  if (!programPath) {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    programPath = n > 0 ? programPathFromProcLink(std::string(buffer, static_cast<size_t>(n))) : "kovra";
  }
  return std::make_shared<XdgAutostartLoginItem>(XdgPaths::configHome(), XdgPaths::configDirs(), *programPath);
}

}  // namespace kovra
