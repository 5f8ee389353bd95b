#include <gtest/gtest.h>

#include "platform/macos/processor_ticks.h"

namespace kovra::macos {
namespace {

TEST(WrappingTicksTest, RunningTimesGrowAcrossAWrap) {
  WrappingTicks ticks;
  std::vector<ProcessorTimes> times;
  const std::vector<uint32_t> first{4294967290u, 1, 2, 3, 7, 0, 0, 0, 99};  // the 9th value is ignored
  ASSERT_EQ(ticks.update(2, first, times, "host_processor_info").value(), 2u);
  EXPECT_EQ(times[0], (ProcessorTimes{.user = 4294967290u, .nice = 3, .system = 1, .idle = 2}));
  ASSERT_TRUE(ticks.update(2, std::vector<uint32_t>{10, 1, 18, 3, 7, 0, 0, 0}, times, "host_processor_info").ok());
  EXPECT_EQ(times[0].user, uint64_t{4294967290u} + 16);
  EXPECT_EQ(times[0].idle, 18u);
  EXPECT_EQ(times[1].user, 7u);
}

TEST(WrappingTicksTest, ShortReadingsFailAndKeepTheRunningTimes) {
  WrappingTicks ticks;
  std::vector<ProcessorTimes> times;
  ASSERT_TRUE(ticks.update(1, std::vector<uint32_t>{5, 0, 0, 0}, times, "h").ok());
  EXPECT_EQ(ticks.update(2, std::vector<uint32_t>{1, 2, 3, 4, 5}, times, "h").error(),
            "h: 2 işlemci, 5 değer (beklenen en az 8)");
  EXPECT_EQ(ticks.update(0, {}, times, "h").error(), "h: 0 işlemci, 0 değer (beklenen en az 0)");
  ASSERT_TRUE(ticks.update(1, std::vector<uint32_t>{8, 0, 0, 0}, times, "h").ok());
  EXPECT_EQ(times[0].user, 8u);
}

}  // namespace
}  // namespace kovra::macos
