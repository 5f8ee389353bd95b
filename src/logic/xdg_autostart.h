#pragma once
// Launch at login through a desktop autostart entry "kovra.desktop". The effective entry is the
// user's ($XDG_CONFIG_HOME/autostart) when there is one, else the first system-wide one
// ($XDG_CONFIG_DIRS, each with /autostart). It starts the program when it is a readable
// Type=Application entry that is neither Hidden=true nor X-GNOME-Autostart-enabled=false.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logic/atomic_file.h"
#include "logic/login_item.h"

namespace kovra {

// What matters of one desktop entry's [Desktop Entry] group.
struct AutostartEntryInfo {
  std::optional<std::string> type;
  bool hidden = false;
  bool gnomeAutostartDisabled = false;
  std::optional<std::string> exec;  // the Exec value, still escaped
  // Starts the program at login.
  bool isEnabled() const;
};
// Reads the [Desktop Entry] group of a desktop file's text; other groups are ignored.
AutostartEntryInfo parseAutostartEntry(std::string_view text);
// The entry `text` with Hidden=true in its [Desktop Entry] group (an existing Hidden line is
// replaced, everything else kept); a minimal hidden entry when `text` has no such group.
std::string hiddenAutostartEntry(std::string_view text);
// The entry `text` with its [Desktop Entry] group's Exec value replaced by `execValue` (added when
// the group has none); everything else kept.
std::string autostartEntryWithExec(std::string_view text, std::string_view execValue);

// The arguments of an Exec value: string escapes undone, then quoted arguments unquoted and field
// codes' "%%" made "%". None when the value is malformed (an open quote, a stray escape).
std::optional<std::vector<std::string>> splitExecValue(std::string_view value);
// The Exec value that runs `program` without arguments (the inverse of splitExecValue).
std::string execValueFor(std::string_view program);

// The program path read from /proc/self/exe, without the " (deleted)" the kernel appends once the
// file has been replaced or removed, as a package upgrade does under a running program.
std::string programPathFromProcLink(std::string link);

class XdgAutostartLoginItem final : public LoginItemService {
 public:
  // `userConfigDir`: the user's configuration folder; `systemConfigDirs`: the system ones in
  // order of preference; `execCommand`: the Exec line for the entry this program writes.
  XdgAutostartLoginItem(std::string userConfigDir, std::vector<std::string> systemConfigDirs, std::string execCommand);

  LoginItemStatus status() override;
  Result<Unit, std::string> registerItem() override;
  Result<Unit, std::string> unregisterItem() override;

  std::string userEntryPath() const;

  // Points the user's entry at this program again after the program has moved: when that entry
  // is one this program writes (an enabled entry whose Exec is an absolute path to a program
  // named "kovra", without arguments) and that path no longer leads to an executable file,
  // its Exec becomes `execCommand` (when absolute). An old path that still works is left alone:
  // it is another installation, and a run from a build folder must not take over the login.
  // True when the entry was rewritten.
  Result<bool, std::string> refreshExec();

  // From $XDG_CONFIG_HOME (else ~/.config), $XDG_CONFIG_DIRS (else /etc/xdg) and this program's
  // executable path (`programPath`, else /proc/self/exe).
  static std::shared_ptr<XdgAutostartLoginItem> standard(std::optional<std::string> programPath = std::nullopt);

 private:
  std::optional<std::string> systemEntryPath() const;
  Result<Unit, std::string> writeUserEntry(const std::string& contents);

  std::string userConfigDir_;
  std::vector<std::string> systemConfigDirs_;
  std::string execCommand_;
  // What the user's entry path named when it was last read or written.
  std::optional<FileIO::FileIdentity> userEntrySeen_;
};

}  // namespace kovra
