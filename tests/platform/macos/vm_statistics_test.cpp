#include <gtest/gtest.h>

#include "platform/macos/vm_statistics.h"

namespace kovra::macos {
namespace {

TEST(VMStatisticsTest, PageCountsBecomeBytesWithPurgeableCountedAsCache) {
  auto f = memoryFiguresFromPages(VMStatistics{100, 10, 50, 20, 5}, 4096, 1'000'000'000, "page", "memory");
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(f.value(), (MemoryFigures{1'000'000'000, 90u * 4096, 20u * 4096, 5u * 4096, 60u * 4096}));
  auto over = memoryFiguresFromPages(VMStatistics{10, 11, 0, 0, UINT64_MAX / 2}, 4096, 1, "page", "memory");
  EXPECT_EQ(over->appBytes, 0u);
  EXPECT_EQ(over->cachedBytes, 11u * 4096);
  EXPECT_EQ(over->compressedBytes, UINT64_MAX);
}

TEST(VMStatisticsTest, ZeroSizesAndUnknownLevelsFailNamingTheCall) {
  EXPECT_EQ(memoryFiguresFromPages({}, 0, 1, "sysconf(_SC_PAGESIZE)", "hw.memsize").error(),
            "sysconf(_SC_PAGESIZE): sayfa boyutu 0");
  EXPECT_EQ(memoryFiguresFromPages({}, 4096, 0, "sysconf(_SC_PAGESIZE)", "hw.memsize").error(), "hw.memsize: 0");
  EXPECT_EQ(pressureFromLevel(4, "kern.memorystatus_vm_pressure_level").value(), MemoryPressure::critical);
  EXPECT_EQ(pressureFromLevel(3, "kern.memorystatus_vm_pressure_level").error(),
            "kern.memorystatus_vm_pressure_level: beklenmeyen değer 3");
}

}  // namespace
}  // namespace kovra::macos
