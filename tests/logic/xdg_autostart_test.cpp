#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

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
  EXPECT_NE(text.find("Icon=com.example.Kovra\n"), std::string::npos);

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

TEST(ExecValue, SplitsQuotesAndEscapesAndRoundTripsWhatWeWrite) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(splitExecValue("/usr/bin/kovra"), Args{"/usr/bin/kovra"});
  EXPECT_EQ(splitExecValue("  kovra   --x\t100%% "), (Args{"kovra", "--x", "100%"}));
  // \s is a space before the quoting rules apply: it separates unless quoted.
  EXPECT_EQ(splitExecValue("a\\sb \"c\\sd\""), (Args{"a", "b", "c d"}));
  // Escapes inside quotes, written once at the string level or (as many writers do) directly.
  EXPECT_EQ(splitExecValue(R"("/a b/k\\"o\\$v" "x\"y")"), (Args{"/a b/k\"o$v", "x\"y"}));
  EXPECT_EQ(splitExecValue(""), Args{});
  EXPECT_EQ(splitExecValue("\"/open"), std::nullopt);
  EXPECT_EQ(splitExecValue("kovra\\"), std::nullopt);

  for (const std::string program : {"/usr/bin/kovra", "/opt/my apps/kovra 100%\"$x`\\", "/t/ğüş/kovra"}) {
    EXPECT_EQ(splitExecValue(execValueFor(program)), Args{program}) << program;
  }
}

TEST(ExecValue, ProgramPathDropsTheDeletedMark) {
  EXPECT_EQ(programPathFromProcLink("/usr/bin/kovra (deleted)"), "/usr/bin/kovra");
  EXPECT_EQ(programPathFromProcLink("/usr/bin/kovra"), "/usr/bin/kovra");
  EXPECT_EQ(programPathFromProcLink(" (deleted)"), " (deleted)");
}

TEST(AutostartEntry, ExecIsReplacedInPlace) {
  EXPECT_EQ(autostartEntryWithExec("# c\n[Desktop Entry]\nName=Kovra\nExec = /old/kovra\nX-Delay=5\n"
                                   "[Desktop Action a]\nExec=other\n",
                                   "/new/kovra"),
            "# c\n[Desktop Entry]\nName=Kovra\nExec=/new/kovra\nX-Delay=5\n[Desktop Action a]\nExec=other\n");
  EXPECT_EQ(autostartEntryWithExec("[Desktop Entry]\nType=Application\n", "/new/kovra"),
            "[Desktop Entry]\nType=Application\nExec=/new/kovra\n");
}

// A user entry whose program has moved, as an installed program meets it at start.
struct MovedProgram {
  testing::TempDir tmp;
  std::string user = tmp.at("home/.config");
  std::string installed = tmp.write("new place/bin/kovra", "#!/bin/sh\n");
  XdgAutostartLoginItem item{user, {}, installed};
  std::string entry() const { return user + "/autostart/kovra.desktop"; }
  std::string writeEntry(const std::string& exec, const std::string& extra = "") const {
    return tmp.write("home/.config/autostart/kovra.desktop",
                     "[Desktop Entry]\nType=Application\nName=Kovra\nExec=" + exec + "\n" + extra);
  }
};

TEST(XdgAutostartRefresh, AnEntryToAVanishedProgramFollowsIt) {
  MovedProgram m;
  ::chmod(m.installed.c_str(), 0755);
  m.writeEntry("/old/place/kovra", "X-GNOME-Autostart-Delay=10\n");
  auto refreshed = m.item.refreshExec();
  ASSERT_TRUE(refreshed.ok()) << refreshed.error();
  EXPECT_TRUE(*refreshed);
  const std::string text = slurp(m.entry());
  const auto exec = parseAutostartEntry(text).exec;
  ASSERT_TRUE(exec);
  EXPECT_EQ(splitExecValue(*exec), std::vector<std::string>{m.installed});
  EXPECT_NE(text.find("X-GNOME-Autostart-Delay=10\n"), std::string::npos);
  EXPECT_EQ(m.item.status(), LoginItemStatus::enabled);
  // Once it points here there is nothing more to do.
  EXPECT_FALSE(*m.item.refreshExec());
  EXPECT_EQ(slurp(m.entry()), text);
}

TEST(XdgAutostartRefresh, LeavesEntriesThatAreNotOursOrStillWork) {
  MovedProgram m;
  const std::string other = m.tmp.write("other/kovra", "#!/bin/sh\n");
  ::chmod(other.c_str(), 0755);
  const std::string notExecutable = m.tmp.write("plain/kovra", "");
  ::chmod(notExecutable.c_str(), 0644);
  struct Case {
    std::string exec, extra;
    bool rewritten;
  };
  const std::vector<Case> cases{
      {other, "", false},                            // another installation that still runs
      {"/old/kovra --minimized", "", false},         // arguments the user added
      {"kovra", "", false},                          // found through PATH
      {"/old/top", "", false},                       // some other program
      {"/old/kovra", "Hidden=true\n", false},        // switched off: nothing to refresh
      {"\"/old/kovra", "", false},                   // unreadable Exec
      {notExecutable, "", true},                     // no longer a program
      {"\"/old place/kovra\"", "", true},
  };
  for (const auto& c : cases) {
    const std::string written = m.writeEntry(c.exec, c.extra);
    const std::string before = slurp(written);
    auto refreshed = m.item.refreshExec();
    ASSERT_TRUE(refreshed.ok()) << c.exec;
    EXPECT_EQ(*refreshed, c.rewritten) << c.exec;
    EXPECT_EQ(slurp(written) == before, !c.rewritten) << c.exec;
  }

  // No entry at all, or a program path that is not absolute: nothing happens.
  fs::remove(m.entry());
  EXPECT_FALSE(*m.item.refreshExec());
  EXPECT_FALSE(fs::exists(m.entry()));
  XdgAutostartLoginItem viaPath(m.user, {}, "kovra");
  m.writeEntry("/old/kovra");
  EXPECT_FALSE(*viaPath.refreshExec());
}

TEST(XdgAutostartRefresh, StandardItemUsesTheGivenProgramAndTheConfigHome) {
  testing::TempDir tmp;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv("XDG_CONFIG_HOME", tmp.at("cfg").c_str(), 1);
  auto item = XdgAutostartLoginItem::standard("/opt/kovra/bin/kovra");
  if (old) ::setenv("XDG_CONFIG_HOME", old->c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(item->userEntryPath(), tmp.at("cfg/autostart/kovra.desktop"));
  ASSERT_TRUE(item->registerItem().ok());
  EXPECT_NE(slurp(item->userEntryPath()).find("\nExec=/opt/kovra/bin/kovra\n"), std::string::npos);
}

}  // namespace
}  // namespace kovra
