#include <gtest/gtest.h>

#include "platform/linux/cpu_ticks.h"
#include "platform/linux/linux_disk_volume.h"
#include "platform/linux/meminfo.h"
#include "platform/linux/psi.h"
#include "platform/linux/sys_root.h"

namespace kovra::linuxfs {
namespace {

TEST(CpuTimesParserTest, KeepsEveryColumnApartIn64Bits) {
  const char* text =
      "cpu  3452 0 1725 79190 260 0 23 3 0 0\n"
      "cpu0 100 5 20 1000 7 3 2 1 50 4\n"
      "cpu1 4294967297 0 0 0\n"
      "intr 117918 0 0\n"
      "cpufreq 1 2 3 4\n";
  std::vector<ProcessorTimes> t{ProcessorTimes{}};
  EXPECT_EQ(parseCpuTimes(text, t), 2u);
  EXPECT_EQ(t, (std::vector<ProcessorTimes>{{100, 5, 20, 1000, 7, 3, 2, 1}, {4294967297u, 0, 0, 0, 0, 0, 0, 0}}));
}

TEST(CpuTimesParserTest, ShortLinesCountButAddNoEntry) {
  std::vector<ProcessorTimes> t;
  EXPECT_EQ(parseCpuTimes("cpu0 1 2 3\ncpu1 1 2 3 4\ncpu2 x\n", t), 3u);
  EXPECT_EQ(t.size(), 1u);
  EXPECT_EQ(parseCpuTimes("", t), 0u);
  EXPECT_TRUE(t.empty());
}

TEST(MeminfoParserTest, ReadsKilobytesAsBytes) {
  auto m = parseMeminfo(
      "MemTotal:       24683772 kB\nMemFree:        24482600 kB\nHugePages_Total:       0\n"
      "Cached:            70300 kB\nSwapCached:            0 kB\nShmem: 10304 kB\nZswap: x kB\n");
  EXPECT_EQ(m.memTotal, 24683772ull * 1024);
  EXPECT_EQ(m.memFree, 24482600ull * 1024);
  EXPECT_EQ(m.cached, 70300ull * 1024);  // SwapCached does not count as Cached
  EXPECT_EQ(m.shmem, 10304ull * 1024);
  EXPECT_FALSE(m.zswap.has_value());
  EXPECT_FALSE(m.memAvailable.has_value());
  EXPECT_EQ(parseMeminfo("MemTotal: 99999999999999999999 kB\n").memTotal, std::nullopt);
  EXPECT_EQ(parseMeminfo("MemTotal: 18014398509481984 kB\n").memTotal, UINT64_MAX);
}

TEST(MeminfoParserTest, ZramUsesTheThirdColumn) {
  EXPECT_EQ(parseZramMemUsed("  4096  1024  8192 0 8192 0 0 0 0\n"), 8192u);
  EXPECT_EQ(parseZramMemUsed("1 2\n"), std::nullopt);
}

TEST(PsiParserTest, ReadsAvg10OfBothLines) {
  auto p = parsePsi("some avg10=12.50 avg60=1.00 avg300=0.00 total=5\nfull avg10=3.25 avg60=0 avg300=0 total=1\n");
  ASSERT_TRUE(p);
  EXPECT_DOUBLE_EQ(p->someAvg10, 12.5);
  EXPECT_DOUBLE_EQ(p->fullAvg10, 3.25);
  EXPECT_EQ(parsePsi("some avg10=1.00 avg60=0 avg300=0 total=0\n"), (PsiAverages{1.0, 0}));
  EXPECT_EQ(parsePsi("some avg10=250.00 total=0\n"), (PsiAverages{100, 0}));
  EXPECT_FALSE(parsePsi("full avg10=1.00\n"));
  EXPECT_FALSE(parsePsi("some avg10=nan\n"));
  EXPECT_FALSE(parsePsi("some avg10=-1\n"));
  EXPECT_FALSE(parsePsi("some avg10=1.0x\n"));
}

TEST(MountinfoTest, PicksTheDeepestMountOfTheDevice) {
  const char* text =
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "40 27 254:0 /home /home rw shared:1 master:2 - ext4 /dev/vda rw\n"
      "41 27 254:1 / /home/ay\\040se rw - ext4 /dev/vdb rw\n"
      "42 27 254:0 / /homework rw - ext4 /dev/vda rw\n"
      "broken line\n";
  EXPECT_EQ(findMount(text, "254:0", "/home/x"), (MountEntry{"/home", "/dev/vda"}));
  EXPECT_EQ(findMount(text, "254:0", "/root"), (MountEntry{"/", "/dev/vda"}));
  EXPECT_EQ(findMount(text, "254:1", "/home/ay se/docs"), (MountEntry{"/home/ay se", "/dev/vdb"}));
  EXPECT_EQ(findMount(text, "8:1", "/home"), std::nullopt);
  EXPECT_EQ(decodeLabel("Yedek\\x20Disk"), "Yedek Disk");
  EXPECT_EQ(decodeLabel("odd\\x2"), "odd\\x2");
}

}  // namespace
}  // namespace kovra::linuxfs

namespace kovra::linuxfs {
namespace {

TEST(SysRootTest, VariableStandsForSysWithoutATrailingSlash) {
  EXPECT_EQ(sysRootFrom(nullptr), "/sys");
  EXPECT_EQ(sysRootFrom(""), "/sys");
  EXPECT_EQ(sysRootFrom("/tmp/machine/sys//"), "/tmp/machine/sys");
  EXPECT_EQ(sysRootFrom("/"), "/");
}

}  // namespace
}  // namespace kovra::linuxfs
