#include "logic/xdg_autostart.h"

namespace kovra {

bool AutostartEntryInfo::isEnabled() const { return type == "Application" && !hidden && !gnomeAutostartDisabled; }
AutostartEntryInfo parseAutostartEntry(std::string_view) { return {}; }

XdgAutostartLoginItem::XdgAutostartLoginItem(std::string userConfigDir, std::vector<std::string> systemConfigDirs,
                                             std::string execCommand)
    : userConfigDir_(std::move(userConfigDir)),
      systemConfigDirs_(std::move(systemConfigDirs)),
      execCommand_(std::move(execCommand)) {}

LoginItemStatus XdgAutostartLoginItem::status() { return LoginItemStatus::notRegistered; }
Result<Unit, std::string> XdgAutostartLoginItem::registerItem() { return Unit{}; }
Result<Unit, std::string> XdgAutostartLoginItem::unregisterItem() { return Unit{}; }
std::string XdgAutostartLoginItem::userEntryPath() const { return userConfigDir_ + "/autostart/kovra.desktop"; }
std::shared_ptr<XdgAutostartLoginItem> XdgAutostartLoginItem::standard() {
  return std::make_shared<XdgAutostartLoginItem>(std::string(), std::vector<std::string>{}, std::string());
}
std::optional<std::string> XdgAutostartLoginItem::systemEntryPath() const { return std::nullopt; }
Result<Unit, std::string> XdgAutostartLoginItem::writeUserEntry(const std::string&) { return Unit{}; }

}  // namespace kovra
