#include "samplers/process/process_sampler.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/fake/process_fake.h"

namespace kovra {
namespace {

using platform::FakeProcessSource;
using macos::UsageFailure;

constexpr uint64_t kSecond = 1'000'000'000ULL;
constexpr int32_t kOwnPID = 999;

struct Rig {
  std::shared_ptr<FakeProcessSource> source = std::make_shared<FakeProcessSource>();
  uint64_t now = 100 * kSecond;
  std::unique_ptr<ProcessSampler> sampler;

  ProcessSampler& s() {
    if (!sampler) {
      sampler = std::make_unique<ProcessSampler>(std::make_shared<macos::PerPidProcessTable>(source), kOwnPID,
                                                 [this] { return now; });
    }
    return *sampler;
  }
  ProcessListSnapshot ok() {
    auto r = s().sample();
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().text());
    return r.ok() ? r.value() : ProcessListSnapshot{};
  }
};

const AppUsage* find(const ProcessListSnapshot& s, const std::string& id) {
  for (const auto& a : s.apps) {
    if (a.id == id) return &a;
  }
  return nullptr;
}

TEST(ProcessSampler, SharesComeFromTickDeltasOverElapsedTimesCores) {
  Rig rig;
  rig.source->cores = 2;
  rig.source->set(10, 0, 100, 1, "/Applications/A.app/Contents/MacOS/A");
  rig.source->set(11, 0, 50, 1, "/Applications/A.app/Contents/MacOS/Helper");
  rig.source->set(12, 0, 10, 1, "/usr/sbin/daemon");
  auto first = rig.ok();
  for (const auto& app : first.apps) {
    EXPECT_FALSE(app.cpuFraction) << app.id;
    for (const auto& p : app.processes) EXPECT_FALSE(p.cpuFraction) << p.pid;
  }

  rig.now += kSecond;
  rig.source->set(10, 500'000'000, 100, 1);  // half of one core of two: 0.25
  rig.source->set(11, 100'000'000, 50, 1);
  rig.source->set(12, 0, 10, 1);
  auto second = rig.ok();
  const AppUsage* a = find(second, "/Applications/A.app");
  ASSERT_TRUE(a);
  ASSERT_TRUE(a->cpuFraction);
  EXPECT_DOUBLE_EQ(*a->cpuFraction, 0.30);
  EXPECT_DOUBLE_EQ(*a->processes[0].cpuFraction, 0.25);
  EXPECT_EQ(a->footprintBytes, 150u);
  const AppUsage* system = find(second, "system");
  ASSERT_TRUE(system);
  EXPECT_EQ(system->name, "Sistem ve arka plan");
  EXPECT_EQ(system->kind, AppGroupKind::system);
  EXPECT_DOUBLE_EQ(system->cpuFraction.value_or(-1), 0.0);
}

TEST(ProcessSampler, SharesAreCappedPerProcessAndPerGroup) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/Applications/A.app/Contents/MacOS/A");
  rig.source->set(11, 0, 1, 1, "/Applications/A.app/Contents/MacOS/B");
  (void)rig.ok();
  rig.now += kSecond;
  rig.source->set(10, 3 * kSecond, 1, 1);
  rig.source->set(11, kSecond * 7 / 10, 1, 1);
  auto snap = rig.ok();
  const AppUsage* a = find(snap, "/Applications/A.app");
  ASSERT_TRUE(a);
  EXPECT_DOUBLE_EQ(*a->cpuFraction, 1.0);
  EXPECT_DOUBLE_EQ(*a->processes[0].cpuFraction, 1.0);
}

TEST(ProcessSampler, BackwardTicksAndReusedPidsGiveNoShare) {
  Rig rig;
  rig.source->set(10, 1000, 1, 1, "/usr/bin/a");
  rig.source->set(11, 1000, 1, 1, "/usr/bin/b");
  (void)rig.ok();
  rig.now += kSecond;
  rig.source->set(10, 500, 1, 1);                  // counter went backwards
  rig.source->set(11, 5000, 1, 2, "/usr/bin/c");  // a new process with the old pid
  auto snap = rig.ok();
  for (const auto& p : find(snap, "system")->processes) {
    EXPECT_FALSE(p.cpuFraction) << p.pid;
    if (p.pid == 11) {
      EXPECT_EQ(p.name, "c");
    }
  }
  EXPECT_EQ(rig.source->resolveCalls[11], 2);
  EXPECT_EQ(rig.source->resolveCalls[10], 1);  // resolved once per process life

  rig.now += kSecond;
  rig.source->set(10, 500 + kSecond / 2, 1, 1);
  snap = rig.ok();
  const auto& procs = find(snap, "system")->processes;
  auto p10 = std::find_if(procs.begin(), procs.end(), [](const ProcessEntry& e) { return e.pid == 10; });
  EXPECT_DOUBLE_EQ(p10->cpuFraction.value_or(-1), 0.5);
}

TEST(ProcessSampler, ReplacedExecutableIsResolvedAgain) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/usr/bin/launcher");
  (void)rig.ok();
  auto& p = rig.source->processes[10];
  p.executablePath = "/Applications/A.app/Contents/MacOS/A";
  rig.source->set(10, 0, 1, 1);
  auto same = rig.ok();  // same short name: nothing asked
  EXPECT_TRUE(find(same, "system"));
  auto u = p.usage.value();
  u.executableID[0] = 'x';
  p.usage = u;
  auto moved = rig.ok();
  EXPECT_TRUE(find(moved, "/Applications/A.app"));
  EXPECT_FALSE(find(moved, "system"));
}

TEST(ProcessSampler, APidListedTwiceIsOneProcess) {
  Rig rig;
  rig.source->set(10, 0, 100, 1, "/usr/bin/a");
  rig.source->pids.push_back(10);
  auto snap = rig.ok();
  EXPECT_EQ(find(snap, "system")->processes.size(), 1u);
  EXPECT_EQ(find(snap, "system")->footprintBytes, 100u);
  EXPECT_EQ(rig.source->usageCalls[10], 1);
}

TEST(ProcessSampler, RefusedPidsAreAskedAgainOnlyAfterThirtySeconds) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/usr/bin/a");
  rig.source->pids.push_back(20);
  rig.source->processes[20].usage = Failure{UsageFailure::refused};
  rig.source->pids.push_back(30);  // gone: skipped, not counted
  EXPECT_EQ(rig.ok().unreadableCount, 1);
  rig.now += 29 * kSecond;
  EXPECT_EQ(rig.ok().unreadableCount, 1);
  EXPECT_EQ(rig.source->usageCalls[20], 1);
  rig.now += kSecond;
  EXPECT_EQ(rig.ok().unreadableCount, 1);
  EXPECT_EQ(rig.source->usageCalls[20], 2);

  // Readable now: it becomes a tracked process at its next turn.
  rig.source->set(20, 0, 7, 1, "/usr/bin/b");
  rig.now += 30 * kSecond;
  auto snap = rig.ok();
  EXPECT_EQ(snap.unreadableCount, 0);
  EXPECT_EQ(find(snap, "system")->processes.size(), 2u);
}

TEST(ProcessSampler, RefusedPidThatLeavesIsForgotten) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/usr/bin/a");
  rig.source->pids.push_back(20);
  rig.source->processes[20].usage = Failure{UsageFailure::refused};
  EXPECT_EQ(rig.ok().unreadableCount, 1);
  rig.source->pids = {10};
  (void)rig.ok();
  // Back within 30 s as a readable process: asked at once because the entry was swept.
  rig.source->pids = {10, 20};
  rig.source->set(20, 0, 1, 1, "/usr/bin/b");
  rig.now += kSecond;
  EXPECT_EQ(rig.ok().unreadableCount, 0);
}

TEST(ProcessSampler, NoReadableProcessFailsWithBothCountsAndKeepsTheBaseline) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/usr/bin/a");
  (void)rig.ok();
  rig.source->processes[10].usage = Failure{UsageFailure::refused};
  rig.source->pids.push_back(11);
  rig.now += kSecond;
  auto r = rig.s().sample();
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().message(), "proc_pid_rusage: hiçbir süreç okunamadı (2 pid, 1 EPERM)");

  // The next good call measures over the whole time since the last good one.
  rig.source->set(10, kSecond, 1, 1);
  rig.source->processes[10].usage = macos::ProcessUsage{kSecond, 1, 1, {}};
  rig.now += 31 * kSecond;  // past the retry delay
  auto snap = rig.ok();
  EXPECT_NEAR(*find(snap, "system")->cpuFraction, 1.0 / 32, 1e-12);
}

TEST(ProcessSampler, PidListFailures) {
  Rig rig;
  rig.source->listError = 12;
  auto r = rig.s().sample();
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().message(), "proc_listallpids başarısız (errno 12)");

  Rig empty;
  empty.source->listSizeAnswer = 0;
  EXPECT_EQ(empty.s().sample().error().message(), "proc_listallpids başarısız (errno 0)");

  Rig growing;
  for (int32_t pid = 1; pid <= 300; ++pid) growing.source->set(pid, 0, 1, 1, "/usr/bin/x");
  growing.source->listSizeAnswer = 10;  // buffer of 74: grows to 148, 296, 592
  auto snap = growing.ok();
  EXPECT_EQ(find(snap, "system")->processes.size(), 300u);

  Rig overflowing;
  for (int32_t pid = 1; pid <= 2000; ++pid) overflowing.source->set(pid, 0, 1, 1, "/usr/bin/x");
  overflowing.source->listSizeAnswer = 10;
  EXPECT_EQ(overflowing.s().sample().error().message(), "proc_listallpids: süreç listesi tampona sığmadı");
}

TEST(ProcessSampler, OrderingOfAppsAndProcesses) {
  Rig rig;
  rig.source->set(30, 0, 100, 1, "/Applications/B.app/Contents/MacOS/B");
  rig.source->set(20, 0, 100, 1, "/Applications/A.app/Contents/MacOS/A");
  rig.source->set(12, 0, 60, 1, "/usr/sbin/z");
  rig.source->set(11, 0, 40, 1, "/usr/sbin/y");
  rig.source->set(5, 0, 40, 1, "/usr/sbin/x");
  rig.source->set(40, 0, 300, 1, "/Applications/C.app/Contents/MacOS/C");
  auto snap = rig.ok();
  ASSERT_EQ(snap.apps.size(), 4u);
  // The system group is sorted by its footprint like any other group.
  EXPECT_EQ(snap.apps[0].id, "/Applications/C.app");
  EXPECT_EQ(snap.apps[1].id, "system");
  EXPECT_EQ(snap.apps[2].id, "/Applications/A.app");
  EXPECT_EQ(snap.apps[3].id, "/Applications/B.app");
  const auto& procs = snap.apps[1].processes;
  EXPECT_EQ(procs[0].pid, 12);
  EXPECT_EQ(procs[1].pid, 5);
  EXPECT_EQ(procs[2].pid, 11);
}

TEST(ProcessSampler, CanTerminateRules) {
  Rig rig;
  rig.source->ownGroup = "/Applications/Kovra.app";
  rig.source->set(10, 0, 1, 1, "/Applications/Run.app/Contents/MacOS/Run");
  rig.source->set(11, 0, 1, 1, "/Applications/Idle.app/Contents/MacOS/Idle");
  rig.source->set(12, 0, 1, 1, "/System/Library/CoreServices/Finder.app/Contents/MacOS/Finder");
  rig.source->set(13, 0, 1, 1, "/Applications/Kovra.app/Contents/MacOS/Kovra");
  rig.source->set(14, 0, 1, 1, "/Applications/Host.app/Contents/MacOS/Host");
  rig.source->set(kOwnPID, 0, 1, 1, "/Applications/Host.app/Contents/MacOS/Plugin");
  rig.source->running = {10, 12, 13, 14};
  auto snap = rig.ok();
  EXPECT_TRUE(find(snap, "/Applications/Run.app")->canTerminate);
  EXPECT_FALSE(find(snap, "/Applications/Idle.app")->canTerminate);  // no running application
  EXPECT_FALSE(find(snap, "/System/Library/CoreServices/Finder.app")->canTerminate);
  EXPECT_FALSE(find(snap, "/Applications/Kovra.app")->canTerminate);
  EXPECT_FALSE(find(snap, "/Applications/Host.app")->canTerminate);  // holds the program itself
}

TEST(ProcessSampler, RunningApplicationsAreAskedAtMostEveryTenSecondsUnlessAnAppAppears) {
  Rig rig;
  rig.source->set(1, 0, 1, 1, "/usr/sbin/launchd");
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 0);  // only the system group

  rig.source->set(10, 0, 1, 1, "/Applications/A.app/Contents/MacOS/A");
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 1);
  rig.now += 5 * kSecond;
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 1);

  rig.source->set(11, 0, 1, 1, "/Applications/B.app/Contents/MacOS/B");
  rig.source->running = {11};
  auto snap = rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 2);  // a new app: asked at once
  EXPECT_TRUE(find(snap, "/Applications/B.app")->canTerminate);

  // A new protected group does not trigger a refresh.
  rig.source->set(12, 0, 1, 1, "/System/Library/X.app/Contents/MacOS/X");
  rig.now += kSecond;
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 2);

  rig.now += 8 * kSecond;
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 2);
  rig.now += kSecond;  // ten seconds since the last refresh
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 3);

  rig.now -= 3 * kSecond;  // the clock went back: refresh
  (void)rig.ok();
  EXPECT_EQ(rig.source->runningCalls, 4);
}

TEST(ProcessSampler, BundleDetailsAreLoadedOncePerAppearance) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/Applications/A.app/Contents/MacOS/A");
  rig.source->set(11, 0, 1, 1, "/usr/bin/x");
  (void)rig.ok();
  (void)rig.ok();
  EXPECT_EQ(rig.source->infoCalls["/Applications/A.app"], 1);
  rig.source->pids = {11};
  (void)rig.ok();
  rig.source->pids = {11, 10};
  (void)rig.ok();
  EXPECT_EQ(rig.source->infoCalls["/Applications/A.app"], 2);
}

TEST(ProcessSampler, NamesOfGroupsAndProcesses) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/Applications/Foo.app/Contents/MacOS/Foo");
  rig.source->set(11, 0, 1, 1, "/Applications/Bar.app/Contents/MacOS/Bar");
  rig.source->set(12, 0, 1, 1, "/Applications/Baz.app/Contents/MacOS/Baz");
  rig.source->set(13, 0, 1, 1, "/x/.app.app/Contents/MacOS/Q");
  rig.source->infos["/Applications/Foo.app"] = {"Foo.APP", "", "com.example.foo", false};
  rig.source->infos["/Applications/Bar.app"] = {"", "Bar Pro.app", std::nullopt, false};
  rig.source->infos["/Applications/Baz.app"] = {"", "", std::nullopt, false};
  rig.source->infos["/x/.app.app"] = {".app", "", std::nullopt, false};
  rig.source->pids.push_back(20);
  rig.source->processes[20].shortName = "kernel_task";
  rig.source->pids.push_back(21);
  rig.source->processes[21];
  rig.source->pids.push_back(22);
  rig.source->processes[22].executablePath = "/";
  rig.source->processes[22].shortName = "rooted";
  auto snap = rig.ok();
  EXPECT_EQ(find(snap, "/Applications/Foo.app")->name, "Foo");
  EXPECT_EQ(find(snap, "/Applications/Foo.app")->bundleIdentifier, "com.example.foo");
  EXPECT_EQ(find(snap, "/Applications/Bar.app")->name, "Bar Pro");
  EXPECT_EQ(find(snap, "/Applications/Baz.app")->name, "Baz");
  EXPECT_EQ(find(snap, "/x/.app.app")->name, ".app");
  std::map<int32_t, std::string> names;
  for (const auto& p : find(snap, "system")->processes) names[p.pid] = p.name;
  EXPECT_EQ(names[20], "kernel_task");
  EXPECT_EQ(names[21], "21");
  EXPECT_EQ(names[22], "rooted");
  EXPECT_EQ(find(snap, "/Applications/Foo.app")->processes[0].name, "Foo");
}

TEST(ProcessSampler, ResponsibleProcessChargesItsApp) {
  Rig rig;
  rig.source->set(10, 0, 1, 1, "/System/Volumes/Data/Applications/A.app/Contents/MacOS/A");
  rig.source->set(11, 0, 1, 1, "/usr/libexec/helper");
  rig.source->processes[11].responsiblePID = 10;
  rig.source->set(12, 0, 1, 1, "/usr/libexec/self");
  rig.source->processes[12].responsiblePID = 12;
  auto snap = rig.ok();
  const AppUsage* a = find(snap, "/Applications/A.app");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->processes.size(), 2u);
  EXPECT_EQ(find(snap, "system")->processes.size(), 1u);
}

TEST(ProcessSampler, MissingTimebaseIsLoggedOnceAndLeavesEveryShareAbsent) {
  LogCapture log;
  Rig rig;
  rig.source->nanosPerTick = std::nullopt;
  rig.source->set(10, 0, 1, 1, "/usr/bin/a");
  (void)rig.ok();
  rig.now += kSecond;
  rig.source->set(10, kSecond, 1, 1);
  auto snap = rig.ok();
  EXPECT_FALSE(snap.apps[0].cpuFraction);
  EXPECT_EQ(log.count("mach_timebase_info okunamadı; süreç işlemci payları gösterilmeyecek"), 1u);
}

}  // namespace
}  // namespace kovra
