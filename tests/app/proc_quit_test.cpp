// Quitting real processes grouped from .desktop files, through the live sampler and terminator.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

#include <fstream>

#include "platform/linux/desktop_control.h"
#include "platform/linux/proc_child.h"
#include "platform/linux/linux_process_table.h"
#include "samplers/process/app_terminator.h"
#include "samplers/process/process_sampler.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using linux_proc::DesktopIndex;

struct Rig {
  testing::TempDir dir;
  std::unique_ptr<DesktopIndex> index;
  std::unique_ptr<ProcessSampler> sampler;
  std::unique_ptr<AppTerminator> terminator;
  std::vector<pid_t> children;

  Rig() {
    ::chmod(dir.path().c_str(), 0755);
    addApp("quits", "trap 'exit 0' TERM\nwhile :; do sleep 0.05; done\n");
    addApp("stays", "trap '' TERM\nwhile :; do sleep 0.05; done\n");
    index = std::make_unique<DesktopIndex>(std::vector<std::string>{dir.at("applications")});
    index->setCheckInterval(0);
    sampler = std::make_unique<ProcessSampler>(
        std::make_shared<linux_proc::LinuxProcessTable>("/proc", *index, ::getuid(), ::getpid()), ::getpid(),
        platform::monotonicNanos);
    terminator = std::make_unique<AppTerminator>(std::make_shared<linux_proc::LinuxAppControl>("/proc", *index));
  }
  ~Rig() {
    for (pid_t c : children) testing::reap(c);
  }
  void addApp(const std::string& name, const std::string& body) {
    std::string script = dir.write("bin/" + name, "#!/bin/sh\n" + body);
    ::chmod(script.c_str(), 0755);
    dir.write("applications/org.kovra." + name + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + script + "\n");
  }
  std::string desktop(const std::string& name) { return dir.at("applications/org.kovra." + name + ".desktop"); }
  pid_t launch(const std::string& name, std::optional<uid_t> uid = std::nullopt) {
    pid_t pid = testing::spawnChild({dir.at("bin/" + name)}, {desktop(name), false, uid});
    children.push_back(pid);
    EXPECT_TRUE(testing::waitForExec(pid, name));
    return pid;
  }
  std::optional<AppUsage> group(const std::string& id) {
    auto snap = sampler->sample();
    EXPECT_TRUE(snap.ok());
    if (!snap.ok()) return std::nullopt;
    for (const auto& a : snap->apps) {
      if (a.id == id) return a;
    }
    return std::nullopt;
  }
  void forget(pid_t pid) { std::erase(children, pid); }
};

TEST(ProcessQuit, AppThatHonoursTheRequestQuits) {
  Rig rig;
  pid_t pid = rig.launch("quits");
  auto app = rig.group(rig.desktop("quits"));
  ASSERT_TRUE(app);
  EXPECT_EQ(app->name, "quits");
  EXPECT_EQ(app->kind, AppGroupKind::app);
  ASSERT_TRUE(app->canTerminate);
  EXPECT_EQ(rig.terminator->terminate(*app, false), TerminateOutcome::requested);
  EXPECT_EQ(testing::waitEnd(pid, 5), 0);
  rig.forget(pid);
  // Quitting it again finds nothing running.
  EXPECT_EQ(rig.terminator->terminate(*app, false), TerminateOutcome::notRunning);
}

TEST(ProcessQuit, AppThatIgnoresTheRequestIsForced) {
  Rig rig;
  pid_t pid = rig.launch("stays");
  auto app = rig.group(rig.desktop("stays"));
  ASSERT_TRUE(app && app->canTerminate);
  EXPECT_EQ(rig.terminator->terminate(*app, false), TerminateOutcome::requested);
  EXPECT_EQ(testing::waitEnd(pid, 1), -1);  // still running
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::requested);
  EXPECT_EQ(testing::waitEnd(pid, 5), SIGKILL);
  rig.forget(pid);
}

TEST(ProcessQuit, ExitedAppIsNotRunningEvenBeforeItIsReaped) {
  Rig rig;
  pid_t pid = rig.launch("quits");
  auto app = rig.group(rig.desktop("quits"));
  ASSERT_TRUE(app && app->canTerminate);
  ::kill(pid, SIGKILL);
  for (int i = 0; i < 200; ++i) {  // until it is a zombie
    std::string text;
    linux_proc::ProcTable().readFile(std::to_string(pid) + "/stat", text);
    if (text.find(") Z ") != std::string::npos) break;
    ::usleep(10'000);
  }
  EXPECT_EQ(rig.terminator->terminate(*app, false), TerminateOutcome::notRunning);
  testing::reap(pid, false);
  rig.forget(pid);
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::notRunning);
}

TEST(ProcessQuit, SystemGroupAndTheProgramItselfAreNotAllowed) {
  Rig rig;
  pid_t pid = rig.launch("quits");
  auto system = rig.group("system");
  ASSERT_TRUE(system);
  EXPECT_FALSE(system->canTerminate);
  system->canTerminate = true;  // even when set by hand
  EXPECT_EQ(rig.terminator->terminate(*system, true), TerminateOutcome::notAllowed);

  auto app = rig.group(rig.desktop("quits"));
  ASSERT_TRUE(app);
  app->processes.push_back({::getpid(), "self", 0, std::nullopt});
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::notAllowed);
  EXPECT_EQ(testing::waitEnd(pid, 0), -1);
}

TEST(ProcessQuit, OnlyTheListedLifeOfAPidIsSignalled) {
  Rig rig;
  pid_t pid = rig.launch("stays");
  linux_proc::LinuxAppControl control("/proc", *rig.index);
  std::optional<platform::RunningApplication> listed;
  for (const auto& app : control.runningApplications()) {
    if (app.pid == pid) listed = app;
  }
  ASSERT_TRUE(listed);
  ASSERT_NE(listed->startTime, 0u);

  auto unknown = *listed;
  unknown.startTime = 0;
  EXPECT_FALSE(control.requestQuit(unknown, true));
  EXPECT_EQ(testing::waitEnd(pid, 0), -1);  // still running

  EXPECT_TRUE(control.requestQuit(*listed, true));
  EXPECT_EQ(testing::waitEnd(pid, 5), SIGKILL);
  rig.forget(pid);
  // Reaped: there is no process left to open, nothing is sent.
  EXPECT_FALSE(control.requestQuit(*listed, true));
}

TEST(ProcessQuit, AnotherUsersAppIsNotAllowed) {
  auto uid = testing::otherUser();
  if (!uid) GTEST_SKIP() << "no second user";
  Rig rig;
  pid_t pid = rig.launch("quits", *uid);
  auto app = rig.group(rig.desktop("quits") + "#" + std::to_string(*uid));
  ASSERT_TRUE(app);
  EXPECT_FALSE(app->canTerminate);
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::notAllowed);
  app->canTerminate = true;
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::notAllowed);
  // The same app under the user's own key reaches none of the other user's processes.
  app->id = rig.desktop("quits");
  app->bundlePath = app->id;
  EXPECT_EQ(rig.terminator->terminate(*app, true), TerminateOutcome::notRunning);
  EXPECT_EQ(testing::waitEnd(pid, 0), -1);
}

// Run as pid 1 of a new pid namespace with its own /proc, where this test may pick the next pid.
void quitAfterThePidWasReused() {
  Rig rig;
  pid_t first = rig.launch("stays");
  linux_proc::LinuxAppControl control("/proc", *rig.index);
  std::optional<platform::RunningApplication> listed;
  for (const auto& app : control.runningApplications()) {
    if (app.pid == first) listed = app;
  }
  ASSERT_TRUE(listed);

  testing::reap(first);
  rig.forget(first);
  // Its shell's children (killed with it) come to this test, the namespace's first process. Until
  // they are reaped their process group keeps the pid in use.
  while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
  }
  // Start times count clock ticks since boot: let one pass, so that the next life starts later.
  const long tick = ::sysconf(_SC_CLK_TCK);
  timespec now{};
  do {
    ::sched_yield();
    ::clock_gettime(CLOCK_BOOTTIME, &now);
  } while (static_cast<uint64_t>(now.tv_sec) * tick + static_cast<uint64_t>(now.tv_nsec) * tick / 1'000'000'000 <=
           listed->startTime + 1);
  {
    std::ofstream last("/proc/sys/kernel/ns_last_pid");
    last << first - 1;
  }
  pid_t newcomer = rig.launch("stays");
  ASSERT_EQ(newcomer, first) << "the pid was not handed on";

  EXPECT_FALSE(control.requestQuit(*listed, true));
  EXPECT_EQ(testing::waitEnd(newcomer, 0), -1) << "the newcomer was signalled";
}

TEST(ProcessQuit, AProcessThatTookOverTheListedPidIsLeftAlone) {
  if (std::getenv("KOVRA_TEST_IN_PID_NAMESPACE") != nullptr) return quitAfterThePidWasReused();
  if (::geteuid() != 0) GTEST_SKIP() << "a pid namespace where the next pid can be chosen needs root";
  if (::access("/usr/bin/unshare", X_OK) != 0) GTEST_SKIP() << "unshare is missing";
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setpgid(0, 0);
    ::setenv("KOVRA_TEST_IN_PID_NAMESPACE", "1", 1);
    const std::string filter = "--gtest_filter=ProcessQuit.AProcessThatTookOverTheListedPidIsLeftAlone";
    ::execl("/usr/bin/unshare", "unshare", "--pid", "--fork", "--mount-proc", self, filter.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::kill(-pid, SIGKILL);  // nothing should be left; the namespace ends with its first process anyway
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the run inside the pid namespace failed (its output is above)";
}

}  // namespace
}  // namespace kovra
