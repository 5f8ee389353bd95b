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
  // Starts the program at login.
  bool isEnabled() const;
};
// Reads the [Desktop Entry] group of a desktop file's text; other groups are ignored.
AutostartEntryInfo parseAutostartEntry(std::string_view text);
// The entry `text` with Hidden=true in its [Desktop Entry] group (an existing Hidden line is
// replaced, everything else kept); a minimal hidden entry when `text` has no such group.
std::string hiddenAutostartEntry(std::string_view text);

class XdgAutostartLoginItem final : public LoginItemService {
 public:
  // `userConfigDir`: the user's configuration folder; `systemConfigDirs`: the system ones in
  // order of preference; `execCommand`: the Exec line for the entry this program writes.
  XdgAutostartLoginItem(std::string userConfigDir, std::vector<std::string> systemConfigDirs, std::string execCommand);

  LoginItemStatus status() override;
  Result<Unit, std::string> registerItem() override;
  Result<Unit, std::string> unregisterItem() override;

  std::string userEntryPath() const;

  // From $XDG_CONFIG_HOME (else ~/.config), $XDG_CONFIG_DIRS (else /etc/xdg) and this program's
  // executable path.
  static std::shared_ptr<XdgAutostartLoginItem> standard();

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
