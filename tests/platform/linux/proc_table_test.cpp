#include "platform/linux/proc_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux/proc_child.h"
#include "support/open_descriptors.h"
#include "support/temp_dir.h"

namespace kovra::linux_proc {
namespace {

std::vector<int32_t> listAll(ProcTable& t) {
  std::vector<int32_t> pids(8192);
  auto n = t.list(pids);
  EXPECT_TRUE(n.ok());
  pids.resize(n.ok() ? n.value() : 0);
  return pids;
}

TEST(ProcTable, ListsAndReadsRealProcesses) {
  ProcTable t;
  ASSERT_EQ(t.openError(), 0);
  auto pids = listAll(t);
  EXPECT_NE(std::find(pids.begin(), pids.end(), ::getpid()), pids.end());
  auto count = t.list({});
  ASSERT_TRUE(count.ok());
  EXPECT_GE(count.value() + 5, pids.size());

  std::vector<int32_t> small(1);
  EXPECT_EQ(t.list(small).value(), 1u);  // a full buffer: there may be more

  auto own = t.read(::getpid());
  ASSERT_TRUE(own.ok());
  EXPECT_GT(own->residentPages, 0u);
  EXPECT_EQ(own->ppid, ::getppid());
  EXPECT_EQ(t.keptCount(), 1u);
  auto again = t.read(::getpid());
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again->startTime, own->startTime);
  EXPECT_GE(again->cpuTicks, own->cpuTicks);
}

TEST(ProcTable, AKeptFileNeverReadsANewerProcess) {
  ProcTable t;
  pid_t child = testing::spawnChild({"/bin/sleep", "30"});
  ASSERT_GT(child, 0);
  ASSERT_TRUE(testing::waitForExec(child, "sleep"));
  (void)listAll(t);
  auto first = t.read(child);
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first->name(), "sleep");
  testing::reap(child);
  auto gone = t.read(child);
  ASSERT_FALSE(gone.ok());
  EXPECT_TRUE(gone.error() == ENOENT || gone.error() == ESRCH) << gone.error();
  EXPECT_EQ(t.keptCount(), 0u);
}

TEST(ProcTable, ProcessesNotReadInARoundLoseTheirFiles) {
  ProcTable t;
  pid_t child = testing::spawnChild({"/bin/sleep", "30"});
  ASSERT_TRUE(testing::waitForExec(child, "sleep"));
  (void)listAll(t);
  ASSERT_TRUE(t.read(child).ok());
  ASSERT_TRUE(t.read(::getpid()).ok());
  EXPECT_EQ(t.keptCount(), 2u);
  (void)listAll(t);
  (void)listAll(t);  // a listing before any read stays in the same round
  ASSERT_TRUE(t.read(::getpid()).ok());
  (void)listAll(t);  // the child was not read in the last round
  EXPECT_EQ(t.keptCount(), 1u);
  testing::reap(child);
}

// Idle children in one process group, killed together.
struct ChildGroup {
  pid_t group = 0;
  std::vector<pid_t> pids;

  explicit ChildGroup(int count) {
    for (int i = 0; i < count; ++i) {
      pid_t pid = ::fork();
      if (pid == 0) {
        ::setpgid(0, group);
        while (true) ::pause();
      }
      if (pid < 0) break;
      if (group == 0) group = pid;
      ::setpgid(pid, group);
      pids.push_back(pid);
    }
  }
  ~ChildGroup() { stop(); }
  void stop() {
    if (group == 0) return;
    ::kill(-group, SIGKILL);
    for (pid_t pid : pids) ::waitpid(pid, nullptr, 0);
    group = 0;
  }
};

// One round of the sampler: list, then read every listed pid (and any extra ones).
size_t round(ProcTable& t, std::vector<int32_t> extra = {}) {
  auto pids = listAll(t);
  size_t read = 0;
  for (int32_t pid : pids) read += t.read(pid).ok();
  for (int32_t pid : extra) (void)t.read(pid);
  return read;
}

// Descriptors this program holds on files of the given processes.
size_t descriptorsOf(const std::vector<pid_t>& pids) {
  size_t n = 0;
  DIR* d = ::opendir("/proc/self/fd");
  if (d == nullptr) return 0;
  while (dirent* e = ::readdir(d)) {
    char target[256] = {};
    std::string link = std::string("/proc/self/fd/") + e->d_name;
    if (::readlink(link.c_str(), target, sizeof target - 1) <= 0) continue;
    for (pid_t pid : pids) {
      if (std::string(target).starts_with("/proc/" + std::to_string(pid) + "/")) ++n;
    }
  }
  ::closedir(d);
  return n;
}

TEST(ProcTable, EveryRoundSweepsWhatWasNotRead) {
  const int before = testing::openDescriptorCount();
  {
    ProcTable t;
    // One kept process exits while a pid that cannot be read shows up: the failed read must not
    // stand in for the exited one.
    ChildGroup one(1);
    round(t);
    ASSERT_EQ(descriptorsOf(one.pids), 1u);
    one.stop();
    round(t, {0x3ffffff0});
    (void)listAll(t);
    EXPECT_EQ(descriptorsOf(one.pids), 0u);

    // With the keep limit reached, kept processes that exit are still swept although more
    // processes are read each round than the table keeps.
    ProcTable limited;
    limited.setKeepLimit(3);
    ChildGroup five(5);
    (void)listAll(limited);
    for (pid_t pid : five.pids) ASSERT_TRUE(limited.read(pid).ok());
    EXPECT_EQ(limited.keptCount(), 3u);
    EXPECT_EQ(descriptorsOf(five.pids), 3u);
    five.stop();
    for (int churn = 0; churn < 3; ++churn) {
      ChildGroup more(10);
      round(limited);
      more.stop();
      round(limited);
      (void)listAll(limited);
      EXPECT_EQ(descriptorsOf(more.pids), 0u);
      EXPECT_LE(limited.keptCount(), 3u);
    }
    EXPECT_EQ(descriptorsOf(five.pids), 0u);
  }
  EXPECT_EQ(testing::openDescriptorCount(), before);
}

TEST(ProcTable, AProcessReadTwiceInARoundDoesNotStandInForOneNotRead) {
  ProcTable t;
  ChildGroup two(2);
  (void)listAll(t);
  ASSERT_TRUE(t.read(two.pids[0]).ok());
  ASSERT_TRUE(t.read(two.pids[1]).ok());
  EXPECT_EQ(descriptorsOf(two.pids), 2u);
  (void)listAll(t);
  ASSERT_TRUE(t.read(two.pids[0]).ok());
  ASSERT_TRUE(t.read(two.pids[0]).ok());
  (void)listAll(t);
  EXPECT_EQ(descriptorsOf({two.pids[1]}), 0u);
  EXPECT_EQ(t.keptCount(), 1u);
  // A round that reads every kept process keeps them all (its name file too, once it ran).
  ASSERT_TRUE(t.read(two.pids[0]).ok());
  (void)listAll(t);
  EXPECT_EQ(t.keptCount(), 1u);
  EXPECT_GE(descriptorsOf({two.pids[0]}), 1u);
}

TEST(ProcTable, AFileReadInOnePieceIsStillReadWhole) {
  testing::TempDir dir;
  const std::string big(10000, 'x');
  const std::string page(4096, 'y');
  dir.write("7/cgroup", big);
  dir.write("7/status", page);
  ProcTable t(dir.path());
  std::string got;
  ASSERT_TRUE(t.readPiece("7/cgroup", got));
  EXPECT_EQ(got, big);
  ASSERT_TRUE(t.readPiece("7/status", got));
  EXPECT_EQ(got, page);
  ASSERT_TRUE(t.readPiece("7/cgroup", got, 5000));
  EXPECT_EQ(got, big.substr(0, 5000));
  EXPECT_FALSE(t.readPiece("8/cgroup", got));
}

TEST(ProcTable, AnIdleProcessIsReadWithoutItsStatAndAnExecIsNoticed) {
  ProcTable t;
  if (t.cpuSource() != CpuTimeSource::processClock) GTEST_SKIP() << "no per-process CPU clock";
  int in[2];
  ASSERT_EQ(::pipe(in), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::setpgid(0, 0);
    ::dup2(in[0], 0);
    ::close(in[1]);
    ::execl("/bin/sh", "sh", "-c", "read line; exec /bin/sleep 30", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in[0]);
  ASSERT_TRUE(testing::waitForExec(child, "sh"));
  // The shell must have reached its `read`; a shell still starting up runs between the lists.
  ASSERT_TRUE(testing::waitAsleep(child));
  (void)listAll(t);
  auto first = t.read(child);
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first->name(), "sh");
  (void)listAll(t);
  auto idle = t.read(child);
  ASSERT_TRUE(idle.ok());
  EXPECT_EQ(idle->startTime, first->startTime);
  EXPECT_EQ(t.keptDescriptors(), t.keptCount());  // statm only: it did not run

  ASSERT_EQ(::write(in[1], "go\n", 3), 3);
  ASSERT_TRUE(testing::waitForExec(child, "sleep"));
  (void)listAll(t);
  auto after = t.read(child);
  ASSERT_TRUE(after.ok());
  EXPECT_EQ(after->name(), "sleep");
  EXPECT_EQ(after->startTime, first->startTime);
  EXPECT_GT(after->cpuTicks, first->cpuTicks);
  ::close(in[1]);
  ::kill(-child, SIGKILL);
  testing::reap(child);
}

TEST(ProcTable, TheClockAgreesWithStat) {
  ProcTable clock;
  ProcTable ticks("/proc", CpuTimeSource::statFile);
  if (clock.cpuSource() != CpuTimeSource::processClock) GTEST_SKIP() << "no per-process CPU clock";
  ASSERT_TRUE(ticks.cpuUnitNanos());
  volatile uint64_t spin = 0;
  for (int i = 0; i < 10'000'000; ++i) spin = spin + static_cast<uint64_t>(i);
  auto a = clock.read(::getpid());
  auto b = ticks.read(::getpid());
  ASSERT_TRUE(a.ok() && b.ok());
  const double fromTicks = static_cast<double>(b->cpuTicks) * *ticks.cpuUnitNanos();
  const double fromClock = static_cast<double>(a->cpuTicks);
  // stat rounds down to whole ticks of each thread's time.
  EXPECT_GE(fromClock + 1e6, fromTicks);
  EXPECT_LE(fromClock, fromTicks + 8 * *ticks.cpuUnitNanos() + 5e7);
  EXPECT_EQ(a->startTime, b->startTime);
  EXPECT_EQ(a->name(), b->name());
}

TEST(ProcTable, TheDescriptorLimitIsDecidedOnce) {
  const DescriptorPlan& plan = descriptorPlan();
  rlimit lim{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &lim), 0);
  EXPECT_EQ(lim.rlim_cur, plan.softLimit);
  EXPECT_LE(lim.rlim_cur, lim.rlim_max);
  EXPECT_LT(plan.keepLimit * 2, plan.softLimit);
  { ProcTable a, b; }
  rlimit after{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &after), 0);
  EXPECT_EQ(after.rlim_cur, lim.rlim_cur);
  EXPECT_EQ(&descriptorPlan(), &plan);
}

TEST(ProcTable, PidInfoAgreesWithStatusAndKernelThreadsAreMarked) {
  ProcTable t;
  (void)listAll(t);
  auto info = t.pidInfo(::getpid());
  if (info) {
    EXPECT_EQ(info->realUid, ::getuid());
    EXPECT_NE(info->cgroupId, 0u);
  }
  ProcTable fake("/nonexistent");
  EXPECT_FALSE(fake.pidInfo(::getpid()));
  auto own = t.facts(::getpid());
  ASSERT_TRUE(own);
  EXPECT_FALSE(own->isKernelThread);
  if (auto kthreadd = t.facts(2); kthreadd && kthreadd->comm == "kthreadd") {
    EXPECT_TRUE(kthreadd->isKernelThread);
  }
}

TEST(ProcTable, CommEscapesAreUndone) {
  std::array<char, 64> out{};
  EXPECT_EQ(unescapeComm("a\\\\b\\n c\n", out), std::string_view("a\\b\n c"));
  EXPECT_EQ(unescapeComm("plain\n", out), "plain");
  EXPECT_EQ(unescapeComm("tail\\", out), "tail\\");  // a lone backslash stays
}

TEST(ProcTable, WithoutDescriptorsToKeepItStillReads) {
  ProcTable t;
  t.setKeepLimit(0);
  (void)listAll(t);
  auto r = t.read(::getpid());
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(t.keptCount(), 0u);
  EXPECT_TRUE(t.read(::getpid()).ok());
}

TEST(ProcTable, HostileTreeNeverBreaksIt) {
  testing::TempDir dir;
  dir.write("12/stat", "12 (ok) S 1 12 12 0 -1 0 0 0 0 0 7 3 0 0 20 0 1 0 55 0 0\n");
  dir.write("12/statm", "10 4 1 0 0 0 0\n");
  dir.write("13/stat", "13 (broken");
  dir.write("13/statm", "10 4 1");
  dir.write("14/stat", std::string(5000, 'x'));
  dir.write("14/statm", "");
  dir.write("not-a-pid/stat", "");
  dir.write("0/stat", "");
  dir.write("99999999999/stat", "");
  ProcTable t(dir.path());
  auto pids = listAll(t);
  std::sort(pids.begin(), pids.end());
  EXPECT_EQ(pids, (std::vector<int32_t>{12, 13, 14}));
  auto ok = t.read(12);
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok->cpuTicks, 10u);
  EXPECT_FALSE(t.read(13).ok());
  EXPECT_FALSE(t.read(14).ok());
  EXPECT_EQ(t.read(15).error(), ENOENT);

  ProcTable missing(dir.at("nothing"));
  EXPECT_EQ(missing.openError(), ENOENT);
  EXPECT_FALSE(missing.list({}).ok());
  EXPECT_FALSE(missing.read(1).ok());
}

TEST(ProcTable, TheEnvironmentFromMemoryIsTheEnvironmentFile) {
  // A block over several pages, with the launcher's variables somewhere in the middle.
  std::vector<std::string> argv{"/usr/bin/env", "-i", "A=" + std::string(5000, 'a'),
                                "GIO_LAUNCHED_DESKTOP_FILE=/x/y.desktop", "B=" + std::string(7000, 'b'), "C=",
                                "/bin/sleep", "30"};
  pid_t child = testing::spawnChild(argv);
  ASSERT_GT(child, 0);
  ASSERT_TRUE(testing::waitForExec(child, "sleep"));
  const std::string file = testing::readFile("/proc/" + std::to_string(child) + "/environ");
  ASSERT_GT(file.size(), 12000u);

  ProcTable t;
  (void)listAll(t);
  auto facts = t.facts(child);
  ASSERT_TRUE(facts);
  ASSERT_TRUE(facts->hasEnvRange);
  EXPECT_FALSE(t.environmentHidden(*facts));
  std::string got;
  ASSERT_TRUE(t.readEnvironment(child, *facts, got));
  EXPECT_EQ(got, file);
  ASSERT_TRUE(t.readEnvironment(child, *facts, got, 100));
  EXPECT_EQ(got, file.substr(0, 100));

  // A place that no longer holds the block (it moved): the file decides.
  ProcFacts moved = *facts;
  moved.envStart = 4096;
  moved.envEnd = 4096 + file.size();
  ASSERT_TRUE(t.readEnvironment(child, moved, got));
  EXPECT_EQ(got, file);

  // Zeros in the real /proc mean hidden; elsewhere, or without the fields, nothing is assumed.
  ProcFacts zeros = *facts;
  zeros.envStart = zeros.envEnd = 0;
  EXPECT_TRUE(t.environmentHidden(zeros));
  zeros.hasEnvRange = false;
  EXPECT_FALSE(t.environmentHidden(zeros));
  testing::TempDir dir;
  ProcTable elsewhere(dir.path());
  zeros.hasEnvRange = true;
  EXPECT_FALSE(elsewhere.environmentHidden(zeros));

  testing::reap(child);
  EXPECT_FALSE(t.readEnvironment(child, *facts, got));
}

TEST(ProcTable, AnEnvironmentOutsideTheRealProcIsItsFile) {
  testing::TempDir dir;
  dir.write("42/environ", std::string("A=1\0B=2\0", 8));
  ProcTable t(dir.path());
  ProcFacts f;
  f.hasEnvRange = true;
  f.envStart = 4096;
  f.envEnd = 8192;
  std::string got;
  ASSERT_TRUE(t.readEnvironment(42, f, got));
  EXPECT_EQ(got, std::string("A=1\0B=2\0", 8));
  EXPECT_FALSE(t.readEnvironment(43, f, got));
}

}  // namespace
}  // namespace kovra::linux_proc
