#include "platform/linux/proc_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/proc_child.h"
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

}  // namespace
}  // namespace kovra::linux_proc
