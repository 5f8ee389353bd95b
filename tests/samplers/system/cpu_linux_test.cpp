#include <gtest/gtest.h>

#include "platform/linux/linux_cpu_platform.h"
#include "samplers/system/cpu_sampler.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

TEST(CPUSamplerLinuxTest, OfflineProcessorWaitsForTheNextReading) {
  testing::TempDir dir;
  const std::string stat = dir.write("stat", "cpu  0 0 0 0\ncpu0 100 0 100 900 0 0 0 0\ncpu1 100 0 100 900\n");
  CPUSampler sampler(std::make_unique<LinuxCPUPlatform>(stat));
  EXPECT_TRUE(sampler.sample().error().isNotReady());
  dir.write("stat", "cpu  0 0 0 0\ncpu0 150 0 150 1000 0 0 0 0\n");  // cpu1 went offline
  EXPECT_TRUE(sampler.sample().error().isNotReady());
  dir.write("stat", "cpu  0 0 0 0\ncpu0 200 10 170 1050 10 5 5 0\n");
  auto s = sampler.sample();
  ASSERT_TRUE(s.ok());
  // user 50, nice 10, system 20 + 5 + 5, idle 50 + 10 → 150 ticks.
  EXPECT_DOUBLE_EQ(s->usage, 90.0 / 150.0);
  EXPECT_DOUBLE_EQ(s->systemFraction, 30.0 / 150.0);
  EXPECT_EQ(s->coreCount, 1);
}

TEST(CPUSamplerLinuxTest, FailuresNameTheFile) {
  testing::TempDir dir;
  CPUSampler missing(std::make_unique<LinuxCPUPlatform>(dir.at("stat")));
  EXPECT_EQ(missing.sample().error().message(), dir.at("stat") + " okunamadı: No such file or directory (errno 2)");
  const std::string stat = dir.write("stat", "cpu0 1 2\n");
  CPUSampler shortLine(std::make_unique<LinuxCPUPlatform>(stat));
  EXPECT_EQ(shortLine.sample().error().message(), stat + ": 1 işlemci, 0 değer (beklenen en az 4)");
  dir.write("stat", "cpu  1 2 3 4\n");
  EXPECT_EQ(shortLine.sample().error().message(), stat + ": 0 işlemci, 0 değer (beklenen en az 0)");
}

}  // namespace
}  // namespace kovra
