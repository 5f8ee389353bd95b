#include "platform/linux/desktop_apps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/proc_child.h"
#include "support/temp_dir.h"

namespace kovra::linux_proc {
namespace {

struct Rig {
  testing::TempDir dir;
  std::string desktop;
  std::string program;  // a copy of sleep that only the test's .desktop file runs
  std::unique_ptr<DesktopIndex> index;
  ProcTable table;
  std::unique_ptr<DesktopApps> apps;
  std::vector<pid_t> children;

  Rig() {
    desktop = dir.write("share/applications/org.kovra.Fake.desktop",
                        "[Desktop Entry]\nType=Application\nName=Fake\nName[tr]=Sahte Uygulama\nExec=/bin/true\n");
    program = dir.at("bin/fake-sleeper");
    std::filesystem::create_directories(dir.at("bin"));
    std::filesystem::copy_file("/bin/sleep", program);
    ::chmod(program.c_str(), 0755);
    ::chmod(dir.path().c_str(), 0755);
    dir.write("share/applications/org.kovra.Sleeper.desktop",
              "[Desktop Entry]\nType=Application\nName=Sleeper\nExec=" + program + " 100\n");
    index = std::make_unique<DesktopIndex>(std::vector<std::string>{dir.at("share/applications")});
    apps = std::make_unique<DesktopApps>(table, *index, static_cast<uint32_t>(::getuid()));
  }
  ~Rig() {
    for (pid_t c : children) testing::reap(c);
  }
  pid_t spawn(const std::vector<std::string>& argv, const testing::ChildOptions& o, const std::string& comm) {
    pid_t pid = testing::spawnChild(argv, o);
    children.push_back(pid);
    EXPECT_TRUE(testing::waitForExec(pid, comm));
    return pid;
  }
  std::optional<std::string> group(pid_t pid) { return apps->groupOf(pid, apps->executable(pid)); }
};

TEST(DesktopApps, LauncherNamedDesktopFileAndMatchingProgram) {
  Rig rig;
  pid_t launched = rig.spawn({"/bin/sleep", "30"}, {rig.desktop, false, std::nullopt}, "sleep");
  EXPECT_EQ(rig.group(launched), rig.desktop);
  auto info = rig.apps->info(rig.desktop);
  EXPECT_EQ(info.displayName, "Sahte Uygulama");
  EXPECT_EQ(info.identifier, "org.kovra.Fake.desktop");
  EXPECT_FALSE(info.isProtected);

  // The variable names another process: it does not count for this one.
  pid_t other = rig.spawn({"/bin/sleep", "30"}, {rig.desktop, true, std::nullopt}, "sleep");
  EXPECT_FALSE(rig.group(other));

  pid_t byProgram = rig.spawn({rig.program, "30"}, {}, "fake-sleeper");
  EXPECT_EQ(rig.group(byProgram), rig.dir.at("share/applications/org.kovra.Sleeper.desktop"));
}

TEST(DesktopApps, ChildrenBelongToTheirNearestMatchedAncestor) {
  Rig rig;
  pid_t shell = rig.spawn({"/bin/sh", "-c", "/bin/sleep 30 & /bin/sleep 31; wait"}, {rig.desktop, false, std::nullopt}, "sh");
  std::vector<int32_t> pids;
  pid_t child = -1;
  for (int i = 0; i < 200 && child < 0; ++i) {
    std::vector<int32_t> all(8192);
    all.resize(rig.table.list(all).value());
    for (int32_t p : all) {
      auto f = rig.apps->facts(p);
      if (f && f->ppid == shell && f->comm == "sleep") child = p;
    }
    ::usleep(10'000);
  }
  ASSERT_GT(child, 0);
  EXPECT_EQ(rig.group(child), rig.desktop);
  EXPECT_EQ(rig.group(shell), rig.desktop);

  // Only the top process of the group is a running application.
  std::vector<DesktopApps::Top> tops;
  std::vector<int32_t> both{child, shell, static_cast<int32_t>(::getpid())};
  rig.apps->topProcesses(both, false, tops);
  ASSERT_EQ(tops.size(), 1u);
  EXPECT_EQ(tops[0].pid, shell);
  rig.apps->topProcesses(both, true, tops);
  ASSERT_EQ(tops.size(), 1u);
  EXPECT_EQ(tops[0].pid, shell);
}

TEST(DesktopApps, AnotherUsersProcessesFormAProtectedGroup) {
  auto uid = testing::otherUser();
  if (!uid) GTEST_SKIP() << "no second user";
  Rig rig;
  pid_t theirs = rig.spawn({"/bin/sleep", "30"}, {rig.desktop, false, *uid}, "sleep");
  auto key = rig.group(theirs);
  ASSERT_TRUE(key);
  EXPECT_EQ(*key, rig.desktop + "#" + std::to_string(*uid));
  EXPECT_TRUE(rig.apps->isProtectedKey(*key));
  EXPECT_TRUE(rig.apps->info(*key).isProtected);
  EXPECT_EQ(rig.apps->info(*key).displayName, "Sahte Uygulama");
  std::vector<DesktopApps::Top> tops;
  std::vector<int32_t> pids{theirs};
  rig.apps->topProcesses(pids, true, tops);
  EXPECT_TRUE(tops.empty());
}

TEST(DesktopApps, SessionInfrastructureAndKeys) {
  EXPECT_TRUE(isSessionInfrastructure("pipewire"));
  EXPECT_TRUE(isSessionInfrastructure("Xwayland"));
  EXPECT_TRUE(isSessionInfrastructure("gnome-session-b"));  // the kernel's short name
  EXPECT_FALSE(isSessionInfrastructure("gnome-session-x"));
  EXPECT_FALSE(isSessionInfrastructure("firefox"));
  EXPECT_FALSE(isSessionInfrastructure(""));
  EXPECT_EQ(splitGroupKey("/a/b.desktop#1001"), (std::pair<std::string, std::optional<uint32_t>>{"/a/b.desktop", 1001}));
  EXPECT_EQ(splitGroupKey("/a/b#c.desktop").second, std::nullopt);
  EXPECT_EQ(splitGroupKey("/a/b.desktop#").second, std::nullopt);
  EXPECT_EQ(splitGroupKey("/a/b.desktop#99999999999").second, std::nullopt);
}

}  // namespace
}  // namespace kovra::linux_proc
