#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/log.h"
#include "logic/app_settings.h"
#include "logic/json_defaults.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) { return testing::readFile(path); }

std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

size_t countStartingWith(const LogCapture& logs, std::string_view prefix) {
  size_t n = 0;
  for (const auto& m : logs.messages()) n += m.rfind(prefix, 0) == 0;
  return n;
}

TEST(JsonFileDefaults, MissingFileIsEmptyAndWritesRoundTripTyped) {
  testing::TempDir tmp;
  const std::string path = tmp.at("config/kovra/settings.json");
  {
    JsonFileDefaults db(path);
    EXPECT_FALSE(db.object("kovra.rateUnit").has_value());
    db.set("kovra.rateUnit", std::string("bits"));
    db.set("kovra.menuBarShowsMemory", false);
    db.set("count", int64_t{3});
  }
  JsonFileDefaults again(path);
  EXPECT_EQ(again.stringValue("kovra.rateUnit"), "bits");
  EXPECT_EQ(again.boolValue("kovra.menuBarShowsMemory"), false);
  EXPECT_EQ(again.object("count"), DefaultsValue(int64_t{3}));
  // Only the file itself is left behind: no temporary files.
  EXPECT_EQ(namesIn(tmp.at("config/kovra")), std::vector<std::string>{"settings.json"});
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(JsonFileDefaults, WrongTypesReadAsDefaultsAndUnknownMembersSurviveWrites) {
  testing::TempDir tmp;
  const std::string path = tmp.write("settings.json", R"({
    "kovra.menuBarShowsMemory": "false",
    "kovra.menuBarShowsNetwork": 0,
    "kovra.rateUnit": ["bits"],
    "kovra.notificationsEnabled": null,
    "other.tool": {"keep": [1, 2, 3]}
  })");
  auto db = std::make_shared<JsonFileDefaults>(path);
  AppSettings settings(db, std::make_shared<FakeLoginItem>());
  EXPECT_TRUE(settings.menuBarShowsMemory());
  EXPECT_TRUE(settings.menuBarShowsNetwork());
  EXPECT_EQ(settings.rateUnit(), RateUnit::bytes);
  EXPECT_TRUE(settings.notificationsEnabled());

  settings.setMenuBarShowsMemory(false);
  const auto written = nlohmann::json::parse(slurp(path));
  EXPECT_EQ(written["kovra.menuBarShowsMemory"], false);
  EXPECT_EQ(written["other.tool"], nlohmann::json::parse(R"({"keep": [1, 2, 3]})"));
}

TEST(JsonFileDefaults, WriteReplacesTheFileInsteadOfRewritingItInPlace) {
  testing::TempDir tmp;
  const std::string path = tmp.write("settings.json", R"({"kovra.menuBarShowsMemory": true})");
  // A second name for the old file shows whether the old contents were ever touched.
  ASSERT_EQ(::link(path.c_str(), tmp.at("old").c_str()), 0);
  JsonFileDefaults db(path);
  db.set("kovra.menuBarShowsMemory", false);
  EXPECT_EQ(slurp(tmp.at("old")), R"({"kovra.menuBarShowsMemory": true})");
  EXPECT_EQ(nlohmann::json::parse(slurp(path))["kovra.menuBarShowsMemory"], false);
}

TEST(JsonFileDefaults, AnUnchangedValueLeavesTheFileAloneAndAChangedOneKeepsItsMode) {
  testing::TempDir tmp;
  const std::string path = tmp.write("settings.json", R"({"kovra.launchAtLogin": false})");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  JsonFileDefaults db(path);
  db.set("kovra.launchAtLogin", false);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten though nothing changed";

  db.set("kovra.launchAtLogin", true);
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0444u);
  EXPECT_EQ(nlohmann::json::parse(slurp(path))["kovra.launchAtLogin"], true);
}

TEST(JsonFileDefaults, ALinkedFileStaysLinked) {
  testing::TempDir tmp;
  const std::string target = tmp.write("dotfiles/kovra.json", R"({"kovra.rateUnit": "bytes"})");
  fs::create_directories(tmp.at("config"));
  const std::string path = tmp.at("config/settings.json");
  fs::create_symlink(target, path);
  JsonFileDefaults db(path);
  db.set("kovra.rateUnit", std::string("bits"));
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(nlohmann::json::parse(slurp(target))["kovra.rateUnit"], "bits");
}

TEST(JsonFileDefaults, CorruptFileReadsAsDefaultsIsKeptAsideBeforeFirstWriteAndLoggedOnce) {
  LogCapture logs;
  testing::TempDir tmp;
  const std::string original = "{\"kovra.menuBarShowsMemory\": false,,, oops";
  const std::string path = tmp.write("kovra/settings.json", original);

  auto db = std::make_shared<JsonFileDefaults>(path);
  AppSettings settings(db, std::make_shared<FakeLoginItem>());
  EXPECT_TRUE(settings.menuBarShowsMemory());
  EXPECT_EQ(countStartingWith(logs, "Ayarlar dosyası bozuk"), 1u);
  // Reading alone leaves the file as it was.
  EXPECT_EQ(slurp(path), original);
  EXPECT_FALSE(db->keptAsidePath().has_value());

  settings.setRateUnit(RateUnit::bits);
  settings.setNotificationsEnabled(false);
  ASSERT_TRUE(db->keptAsidePath().has_value());
  EXPECT_EQ(db->keptAsidePath()->rfind(path + ".corrupt-", 0), 0u);
  EXPECT_EQ(slurp(*db->keptAsidePath()), original);
  const auto names = namesIn(tmp.at("kovra"));
  EXPECT_EQ(names.size(), 2u);  // the new file and the one kept aside, nothing else
  const auto written = nlohmann::json::parse(slurp(path));
  EXPECT_EQ(written["kovra.rateUnit"], "bits");
  EXPECT_EQ(written["kovra.notificationsEnabled"], false);
  EXPECT_EQ(countStartingWith(logs, "Ayarlar dosyası bozuk"), 1u);
  EXPECT_EQ(countStartingWith(logs, "Okunamayan ayarlar dosyası kenara alındı"), 1u);
}

TEST(JsonFileDefaults, HostileAndNonObjectDocumentsAreCorrupt) {
  EXPECT_FALSE(parseSettingsDocument("[1, 2]").has_value());
  EXPECT_FALSE(parseSettingsDocument("true").has_value());
  EXPECT_FALSE(parseSettingsDocument("").has_value());
  EXPECT_FALSE(parseSettingsDocument("{\"a\": \"\xff\"}").has_value());
  std::string deep = "{\"a\":" + std::string(100000, '[') + std::string(100000, ']') + "}";
  std::string why;
  EXPECT_FALSE(parseSettingsDocument(deep, &why).has_value());
  EXPECT_FALSE(why.empty());
  // Brackets inside strings are not nesting.
  EXPECT_TRUE(parseSettingsDocument("{\"a\": \"" + std::string(100, '[') + "\"}").has_value());
}

TEST(JsonFileDefaults, UnreadablePathIsKeptAsideToo) {
  LogCapture logs;
  testing::TempDir tmp;
  const std::string path = tmp.at("settings.json");
  fs::create_directories(path + "/inside");  // a folder where the file should be
  JsonFileDefaults db(path);
  EXPECT_FALSE(db.boolValue("kovra.menuBarShowsMemory").has_value());
  EXPECT_EQ(countStartingWith(logs, "Ayarlar dosyası okunamadı"), 1u);
  db.set("kovra.menuBarShowsMemory", false);
  ASSERT_TRUE(db.keptAsidePath().has_value());
  EXPECT_TRUE(fs::is_directory(*db.keptAsidePath() + "/inside"));
  EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(JsonFileDefaults, WriteFailuresAreLoggedOncePerProblemAndValuesStayInMemory) {
  LogCapture logs;
  testing::TempDir tmp;
  tmp.write("blocker", "not a folder");
  JsonFileDefaults db(tmp.at("blocker/kovra/settings.json"));
  db.set("kovra.rateUnit", std::string("bits"));
  db.set("kovra.rateUnit", std::string("bytes"));
  EXPECT_EQ(db.stringValue("kovra.rateUnit"), "bytes");
  EXPECT_EQ(countStartingWith(logs, "Ayarlar kaydedilemedi: mkdir "), 1u);
}

TEST(JsonFileDefaults, ANumberOutOfRangeDropsOnlyItsMemberAndUnknownMembersKeepTheirText) {
  testing::TempDir tmp;
  const std::string path = tmp.write("settings.json",
                                     "{\"kovra.menuBarShowsMemory\": false, \"kovra.rateUnit\": 1e400,\n"
                                     " \"other.big\": 123456789012345678901234567890,\n"
                                     " \"other.id\": 18446744073709551617, \"other.nested\": {\"x\":  [1,2, 3]}}");
  auto db = std::make_shared<JsonFileDefaults>(path);
  AppSettings settings(db, std::make_shared<FakeLoginItem>());
  EXPECT_FALSE(settings.menuBarShowsMemory());  // the readable settings stay
  EXPECT_EQ(settings.rateUnit(), RateUnit::bytes);
  EXPECT_FALSE(db->object("kovra.rateUnit").has_value());
  EXPECT_FALSE(db->keptAsidePath().has_value());

  settings.setNotificationsEnabled(false);
  const std::string written = slurp(path);
  EXPECT_NE(written.find("\"kovra.rateUnit\": 1e400"), std::string::npos) << written;
  EXPECT_NE(written.find("\"other.big\": 123456789012345678901234567890"), std::string::npos) << written;
  EXPECT_NE(written.find("\"other.id\": 18446744073709551617"), std::string::npos) << written;
  EXPECT_NE(written.find("\"other.nested\": {\"x\":  [1,2, 3]}"), std::string::npos) << written;
  EXPECT_NE(written.find("\"kovra.notificationsEnabled\": false"), std::string::npos) << written;
  EXPECT_FALSE(JsonFileDefaults(path).boolValue("kovra.menuBarShowsMemory").value_or(true));
}

TEST(JsonFileDefaults, TwoRunningCopiesKeepEachOthersSettings) {
  testing::TempDir tmp;
  const std::string path = tmp.at("kovra/settings.json");
  JsonFileDefaults first(path);
  JsonFileDefaults second(path);
  first.set("kovra.menuBarShowsMemory", false);
  second.set("kovra.rateUnit", std::string("bits"));
  first.set("kovra.notificationsEnabled", false);
  second.set("kovra.menuBarShowsNetwork", false);

  JsonFileDefaults after(path);
  EXPECT_EQ(after.boolValue("kovra.menuBarShowsMemory"), false);
  EXPECT_EQ(after.stringValue("kovra.rateUnit"), "bits");
  EXPECT_EQ(after.boolValue("kovra.notificationsEnabled"), false);
  EXPECT_EQ(after.boolValue("kovra.menuBarShowsNetwork"), false);
  // A write also shows what the other copy wrote.
  EXPECT_EQ(second.boolValue("kovra.notificationsEnabled"), false);

  // A key changed by the other copy since is not put back by an unrelated write.
  second.set("kovra.menuBarShowsMemory", true);
  first.set("kovra.rateUnit", std::string("bytes"));
  EXPECT_EQ(JsonFileDefaults(path).boolValue("kovra.menuBarShowsMemory"), true);
}

TEST(JsonFileDefaults, AFolderOthersCanWriteInIsRefusedAndSettingsStayInMemory) {
  LogCapture logs;
  testing::TempDir tmp;
  const std::string folder = tmp.at("shared");
  fs::create_directories(folder);
  ::chmod(folder.c_str(), 01777);
  const std::string victim = tmp.write("home/.bashrc", "echo hello\n");
  ASSERT_EQ(::symlink(victim.c_str(), (folder + "/settings.json").c_str()), 0);
  JsonFileDefaults db(folder + "/settings.json");
  db.set("kovra.rateUnit", std::string("bits"));
  db.set("kovra.rateUnit", std::string("bytes"));
  EXPECT_EQ(db.stringValue("kovra.rateUnit"), "bytes");
  EXPECT_EQ(slurp(victim), "echo hello\n");
  EXPECT_EQ(countStartingWith(logs, "Ayarlar kaydedilemedi: " + folder + ": klasör"), 1u);

  if (::geteuid() == 0) {
    // Not writable by others, but another user's.
    const std::string theirs = tmp.at("theirs");
    fs::create_directories(theirs);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    JsonFileDefaults other(theirs + "/settings.json");
    other.set("kovra.rateUnit", std::string("bits"));
    EXPECT_FALSE(fs::exists(theirs + "/settings.json"));
  }
}

TEST(JsonFileDefaults, ALinkIsWrittenThroughOnlyIfItStillPointsWhereItDidWhenRead) {
  testing::TempDir tmp;
  const std::string dotfile = tmp.write("dotfiles/kovra.json", R"({"kovra.rateUnit": "bytes"})");
  const std::string victim = tmp.write("home/.bashrc", "echo hello\n");
  fs::create_directories(tmp.at("config"));
  const std::string path = tmp.at("config/settings.json");
  fs::create_symlink(dotfile, path);
  {
    JsonFileDefaults db(path);
    fs::remove(path);
    fs::create_symlink(victim, path);  // pointed elsewhere after reading
    db.set("kovra.rateUnit", std::string("bits"));
    EXPECT_EQ(slurp(victim), "echo hello\n");
    EXPECT_EQ(nlohmann::json::parse(slurp(dotfile))["kovra.rateUnit"], "bytes");
  }
  {
    // A plain file when read, a link at the write.
    fs::remove(path);
    tmp.write("config/settings.json", "{}");
    JsonFileDefaults db(path);
    fs::remove(path);
    fs::create_symlink(victim, path);
    db.set("kovra.rateUnit", std::string("bits"));
    EXPECT_EQ(slurp(victim), "echo hello\n");
  }
  {
    // The same link, written twice: its file is replaced each time and the link kept.
    fs::remove(path);
    fs::create_symlink(dotfile, path);
    JsonFileDefaults db(path);
    db.set("kovra.rateUnit", std::string("bits"));
    db.set("kovra.menuBarShowsMemory", false);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(nlohmann::json::parse(slurp(dotfile))["kovra.menuBarShowsMemory"], false);
    EXPECT_EQ(nlohmann::json::parse(slurp(dotfile))["kovra.rateUnit"], "bits");
  }
}

TEST(JsonFileDefaults, TheTemporaryFileIsAlwaysANewOne) {
  testing::TempDir tmp;
  const std::string path = tmp.write("kovra/settings.json", "{}");
  const std::string victim = tmp.write("kovra-victim", "precious\n");
  // Names a temporary file could take are already taken, by links to another file.
  ASSERT_EQ(::link(victim.c_str(), (path + ".tmp-" + std::to_string(::getpid())).c_str()), 0);
  for (int serial = 0; serial < 1000; ++serial) {
    const std::string name = tmp.at("kovra/.settings.json.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial));
    ASSERT_EQ(::link(victim.c_str(), name.c_str()), 0);
  }
  JsonFileDefaults db(path);
  db.set("kovra.rateUnit", std::string("bits"));
  EXPECT_EQ(slurp(victim), "precious\n");
}

TEST(JsonFileDefaults, ANamedPipeAtThePathNeitherBlocksNorIsReadAndIsKeptAside) {
  LogCapture logs;
  testing::TempDir tmp;
  const std::string path = tmp.at("settings.json");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  // In a child, so that a start-up that blocks cannot hang the test run.
  pid_t child = ::fork();
  if (child == 0) {
    JsonFileDefaults db(path);
    ::_exit(db.boolValue("kovra.menuBarShowsMemory").has_value() ? 1 : 0);
  }
  ASSERT_GT(child, 0);
  int status = -1;
  for (int i = 0; i < 3000 && ::waitpid(child, &status, WNOHANG) == 0; ++i) ::usleep(10'000);
  if (::waitpid(child, &status, WNOHANG) == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    FAIL() << "reading the settings blocked on a named pipe";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  JsonFileDefaults db(path);
  EXPECT_EQ(countStartingWith(logs, "Ayarlar dosyası okunamadı"), 1u);
  db.set("kovra.menuBarShowsMemory", false);
  ASSERT_TRUE(db.keptAsidePath().has_value());
  EXPECT_TRUE(fs::is_fifo(*db.keptAsidePath()));
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(countStartingWith(logs, "Ayarlar dosyası okunamadı"), 1u);
}

TEST(JsonFileDefaults, StandardPathFollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> keep = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(JsonFileDefaults::standardPath(), "/tmp/cfg/kovra/settings.json");
  ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // ignored, as relative values must be
  const std::string fallback = JsonFileDefaults::standardPath();
  EXPECT_NE(fallback.find("/.config/kovra/settings.json"), std::string::npos);
  EXPECT_EQ(fallback.front(), '/');
  if (keep) ::setenv("XDG_CONFIG_HOME", keep->c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kovra
