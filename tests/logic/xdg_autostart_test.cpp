#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "logic/app_settings.h"
#include "logic/xdg_autostart.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) { return testing::readFile(path); }

constexpr const char* kSystemEntry =
    "# shipped by the distribution\n[Desktop Entry]\nType=Application\nName=Kovra\nExec=/usr/bin/kovra\n"
    "Hidden=false\n\n[Desktop Action quit]\nName=Quit\nExec=kovra --quit\n";

struct Dirs {
  testing::TempDir tmp;
  std::string user = tmp.at("home/.config");
  std::string sys1 = tmp.at("etc/xdg-a");
  std::string sys2 = tmp.at("etc/xdg-b");
  XdgAutostartLoginItem item{user, {sys1, sys2}, "/usr/bin/kovra"};
  std::string userEntry() const { return user + "/autostart/kovra.desktop"; }
};

TEST(AutostartEntry, ReadsOnlyTheDesktopEntryGroup) {
  auto info = parseAutostartEntry(
      "[Desktop Entry]\r\nType = Application\r\nHidden=false\r\n"
      "[Desktop Action x]\nHidden=true\nX-GNOME-Autostart-enabled=false\n");
  EXPECT_EQ(info.type, "Application");
  EXPECT_TRUE(info.isEnabled());

  EXPECT_FALSE(parseAutostartEntry("[Desktop Entry]\nType=Application\nHidden=true\n").isEnabled());
  EXPECT_FALSE(parseAutostartEntry("[Desktop Entry]\nType=Application\nX-GNOME-Autostart-enabled=false\n").isEnabled());
  EXPECT_FALSE(parseAutostartEntry("[Desktop Entry]\nType=Link\n").isEnabled());
  EXPECT_FALSE(parseAutostartEntry("Type=Application\n").isEnabled());  // no group at all
  EXPECT_FALSE(parseAutostartEntry("").isEnabled());
  // Localized keys are other keys.
  EXPECT_TRUE(parseAutostartEntry("[Desktop Entry]\nType=Application\nHidden[tr]=true\n").isEnabled());
}

TEST(XdgAutostart, RegisterWritesAUserEntryAndUnregisterRemovesIt) {
  Dirs d;
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  ASSERT_TRUE(d.item.registerItem().ok());
  EXPECT_EQ(d.item.status(), LoginItemStatus::enabled);
  const std::string text = slurp(d.userEntry());
  EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=/usr/bin/kovra\n"), std::string::npos);

  ASSERT_TRUE(d.item.unregisterItem().ok());
  EXPECT_FALSE(fs::exists(d.userEntry()));
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  // Unregistering when nothing is registered succeeds.
  EXPECT_TRUE(d.item.unregisterItem().ok());
}

TEST(XdgAutostart, SystemEntryIsHiddenByAUserCopyNotDeleted) {
  Dirs d;
  d.tmp.write("etc/xdg-b/autostart/kovra.desktop", kSystemEntry);
  EXPECT_EQ(d.item.status(), LoginItemStatus::enabled);

  ASSERT_TRUE(d.item.unregisterItem().ok());
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  EXPECT_EQ(slurp(d.sys2 + "/autostart/kovra.desktop"), kSystemEntry);
  const std::string copy = slurp(d.userEntry());
  EXPECT_NE(copy.find("Hidden=true\n"), std::string::npos);
  EXPECT_EQ(copy.find("Hidden=false"), std::string::npos);
  EXPECT_NE(copy.find("Exec=/usr/bin/kovra\n"), std::string::npos);
  // The action group keeps its own lines.
  EXPECT_NE(copy.find("[Desktop Action quit]\nName=Quit\n"), std::string::npos);

  // Turning it on again replaces the hiding copy with a working entry.
  ASSERT_TRUE(d.item.registerItem().ok());
  EXPECT_EQ(d.item.status(), LoginItemStatus::enabled);

  // Our own entry over an enabled system entry: hiding, not removing, is what turns it off.
  ASSERT_TRUE(d.item.unregisterItem().ok());
  EXPECT_TRUE(fs::exists(d.userEntry()));
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
}

TEST(XdgAutostart, UserEntryShadowsSystemOnesAndTheFirstSystemFolderWins) {
  Dirs d;
  d.tmp.write("etc/xdg-a/autostart/kovra.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
  d.tmp.write("etc/xdg-b/autostart/kovra.desktop", kSystemEntry);
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);

  d.tmp.write("home/.config/autostart/kovra.desktop",
              "[Desktop Entry]\nType=Application\nX-GNOME-Autostart-enabled=false\n");
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  d.tmp.write("home/.config/autostart/kovra.desktop", "[Desktop Entry]\nType=Application\nExec=kovra\n");
  EXPECT_EQ(d.item.status(), LoginItemStatus::enabled);
  // The system entry that counts is disabled, so turning off may simply remove ours.
  ASSERT_TRUE(d.item.unregisterItem().ok());
  EXPECT_FALSE(fs::exists(d.userEntry()));
}

TEST(XdgAutostart, TheEntryIsWrittenUnderTheSameRulesAsTheSettings) {
  Dirs d;
  const std::string victim = d.tmp.write("home/.bashrc", "echo hello\n");
  // A folder others can write in.
  fs::create_directories(d.user + "/autostart");
  ::chmod((d.user + "/autostart").c_str(), 0777);
  EXPECT_FALSE(d.item.registerItem().ok());
  EXPECT_FALSE(fs::exists(d.userEntry()));
  ::chmod((d.user + "/autostart").c_str(), 0700);

  // A link that was read, then pointed elsewhere.
  const std::string dotfile = d.tmp.write("dotfiles/kovra.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
  fs::create_symlink(dotfile, d.userEntry());
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  fs::remove(d.userEntry());
  fs::create_symlink(victim, d.userEntry());
  EXPECT_FALSE(d.item.registerItem().ok());
  EXPECT_EQ(slurp(victim), "echo hello\n");

  // The link as read: its file is replaced, the link kept.
  fs::remove(d.userEntry());
  fs::create_symlink(dotfile, d.userEntry());
  EXPECT_EQ(d.item.status(), LoginItemStatus::notRegistered);
  ASSERT_TRUE(d.item.registerItem().ok());
  EXPECT_TRUE(fs::is_symlink(d.userEntry()));
  EXPECT_NE(slurp(dotfile).find("Exec=/usr/bin/kovra"), std::string::npos);
  EXPECT_EQ(slurp(victim), "echo hello\n");
  EXPECT_EQ(d.item.status(), LoginItemStatus::enabled);
}

TEST(XdgAutostart, ExecLineIsQuotedWhenNeeded) {
  testing::TempDir tmp;
  XdgAutostartLoginItem item(tmp.at("cfg"), {}, "/opt/my apps/kovra 100%\"$x");
  ASSERT_TRUE(item.registerItem().ok());
  EXPECT_NE(slurp(item.userEntryPath()).find("Exec=\"/opt/my apps/kovra 100%%\\\\\"\\\\$x\"\n"), std::string::npos);
}

TEST(XdgAutostart, FailureBecomesTheSettingsErrorText) {
  testing::TempDir tmp;
  tmp.write("cfg", "a file where the configuration folder should be");
  auto item = std::make_shared<XdgAutostartLoginItem>(tmp.at("cfg"), std::vector<std::string>{}, "/usr/bin/kovra");
  auto failed = item->registerItem();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), "mkdir " + tmp.at("cfg") + ": Not a directory");

  const char* marker = std::getenv("XCTestConfigurationFilePath");
  const std::optional<std::string> saved = marker ? std::optional<std::string>(marker) : std::nullopt;
  ::unsetenv("XCTestConfigurationFilePath");
  AppSettings settings(std::make_shared<InMemoryDefaults>(), item);
  settings.setLaunchAtLogin(true);
  if (saved) ::setenv("XCTestConfigurationFilePath", saved->c_str(), 1);
  EXPECT_FALSE(settings.launchAtLogin());
  EXPECT_EQ(settings.launchAtLoginError(), "Girişte başlatma ayarlanamadı: mkdir " + tmp.at("cfg") + ": Not a directory");
}

}  // namespace
}  // namespace kovra
