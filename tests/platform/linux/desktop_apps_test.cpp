#include "platform/linux/desktop_apps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

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

// A process table in a folder: stat, status (when `uid` is given), cgroup and environ per pid.
struct FakeProc {
  testing::TempDir dir;
  void add(int32_t pid, int32_t ppid, std::optional<uint32_t> uid, const std::string& cgroup,
           const std::string& environ = {}) const {
    const std::string p = std::to_string(pid);
    dir.write(p + "/stat", p + " (worker) S " + std::to_string(ppid) +
                               " 1 1 0 -1 4194560 0 0 0 0 1 1 0 0 20 0 1 0 " + std::to_string(1000 + pid) + " 0 0\n");
    if (uid) dir.write(p + "/status", "Name:\tworker\nUid:\t" + std::to_string(*uid) + "\t0\t0\t0\n");
    dir.write(p + "/cgroup", cgroup);
    dir.write(p + "/environ", environ);
  }
};

TEST(DesktopApps, AMatchCountsOnlyForAProcessWhoseUserIsKnown) {
  testing::TempDir apps;
  const std::string desktop = apps.write("applications/org.kovra.Fake.desktop",
                                         "[Desktop Entry]\nType=Application\nName=Fake\nExec=/bin/true\n");
  DesktopIndex index({apps.at("applications")});
  FakeProc proc;
  const std::string inApp = "0::/user.slice/app-org.kovra.Fake-7.scope\n";
  const std::string plain = "0::/user.slice/session-2.scope\n";
  proc.add(100, 1, 1000, inApp);          // matched, user known
  proc.add(101, 1, std::nullopt, inApp);  // matched, user unknown
  proc.add(102, 100, 1000, plain);        // no match of its own: its parent's
  proc.add(103, 100, std::nullopt, plain);
  auto launched = [&](int pid) {
    std::string block = "GIO_LAUNCHED_DESKTOP_FILE=" + desktop;
    block.push_back('\0');
    block += "GIO_LAUNCHED_DESKTOP_FILE_PID=" + std::to_string(pid);
    block.push_back('\0');
    return block;
  };
  proc.add(104, 1, 2000, plain, launched(104));
  proc.add(105, 1, std::nullopt, plain, launched(105));
  proc.add(106, 104, 2000, plain);        // another user's child: that user's group
  proc.add(107, 1, 1000, plain);          // nothing at all
  ProcTable table(proc.dir.path());
  DesktopApps groups(table, index, 1000);
  std::vector<int32_t> pids(16);
  pids.resize(table.list(pids).value());
  ASSERT_EQ(pids.size(), 8u);
  std::map<int32_t, std::optional<std::string>> got;
  for (int32_t pid : pids) got[pid] = groups.groupOf(pid, std::nullopt);
  EXPECT_EQ(got[100], desktop);
  EXPECT_EQ(got[101], std::nullopt);
  EXPECT_EQ(got[102], desktop);
  EXPECT_EQ(got[103], std::nullopt);
  EXPECT_EQ(got[104], desktop + "#2000");
  EXPECT_EQ(got[105], std::nullopt);
  EXPECT_EQ(got[106], desktop + "#2000");
  EXPECT_EQ(got[107], std::nullopt);

  // The user's running applications: the top of each of the user's own groups.
  std::vector<DesktopApps::Top> tops;
  groups.topProcesses(pids, false, tops);
  ASSERT_EQ(tops.size(), 1u);
  EXPECT_EQ(tops[0].pid, 100);
  groups.topProcesses(pids, true, tops);
  ASSERT_EQ(tops.size(), 1u);
  EXPECT_EQ(tops[0].pid, 100);
}

}  // namespace
}  // namespace kovra::linux_proc
