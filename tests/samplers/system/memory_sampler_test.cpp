#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/fake/fake_system_platforms.h"
#include "samplers/system/memory_sampler.h"

namespace kovra {
namespace {

struct MemoryRig {
  FakeMemoryPlatform* fake;
  MemorySampler sampler;
  MemoryRig() : MemoryRig(std::make_unique<FakeMemoryPlatform>()) {}
  explicit MemoryRig(std::unique_ptr<FakeMemoryPlatform> f) : fake(f.get()), sampler(std::move(f)) {
    fake->pageSizeResult = uint64_t{4096};
    fake->physical = 1'000'000'000;
  }
};

TEST(MemorySamplerTest, PageCountsBecomeBytes) {
  MemoryRig rig;
  rig.fake->statisticsResult = VMStatistics{100, 10, 50, 20, 5};
  rig.fake->pressureResult = 4;
  rig.fake->swapResult = SwapUsage{2048, 1024};
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->totalBytes, 1'000'000'000u);
  EXPECT_EQ(s->appBytes, 90u * 4096);
  EXPECT_EQ(s->cachedBytes, 60u * 4096);
  EXPECT_EQ(s->wiredBytes, 20u * 4096);
  EXPECT_EQ(s->compressedBytes, 5u * 4096);
  EXPECT_EQ(s->pressure, MemoryPressure::critical);
  EXPECT_EQ(s->swap, (SwapUsage{2048, 1024}));
}

TEST(MemorySamplerTest, PurgeableAboveInternalGivesNoAppMemory) {
  MemoryRig rig;
  rig.fake->statisticsResult = VMStatistics{10, 11, 0, 0, 0};
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->appBytes, 0u);
  EXPECT_EQ(s->cachedBytes, 11u * 4096);
}

TEST(MemorySamplerTest, UnexpectedPressureLevelIsLoggedOnceAndRecoveryOnce) {
  LogCapture log;
  MemoryRig rig;
  rig.fake->pressureResult = 3;
  const std::string problem = "Bellek baskısı okunamadı: /proc/pressure/memory: beklenmeyen değer 3";
  for (int i = 0; i < 3; ++i) {
    auto s = rig.sampler.sample();
    ASSERT_TRUE(s.ok());
    EXPECT_FALSE(s->pressure.has_value());
  }
  EXPECT_EQ(log.count(problem), 1u);
  rig.fake->pressureResult = 2;
  EXPECT_EQ(rig.sampler.sample()->pressure, MemoryPressure::warning);
  (void)rig.sampler.sample();
  EXPECT_EQ(log.count("Bellek baskısı yeniden okunabiliyor"), 1u);
  EXPECT_EQ(log.records().size(), 2u);
  EXPECT_EQ(log.records()[0].level, LogLevel::error);
  EXPECT_EQ(log.records()[1].level, LogLevel::info);
}

TEST(MemorySamplerTest, SwapProblemsLogEachDistinctTextOnceAndKeepTheReading) {
  LogCapture log;
  MemoryRig rig;
  rig.fake->swapResult = Failure{std::string("/proc/meminfo: SwapTotal okunamadı")};
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_FALSE(s->swap.has_value());
  (void)rig.sampler.sample();
  rig.fake->swapResult = Failure{std::string("/proc/meminfo: SwapFree okunamadı")};
  (void)rig.sampler.sample();
  EXPECT_EQ(log.messages("sampler"),
            (std::vector<std::string>{"Swap okunamadı: /proc/meminfo: SwapTotal okunamadı",
                                      "Swap okunamadı: /proc/meminfo: SwapFree okunamadı"}));
  rig.fake->swapResult = SwapUsage{1, 0};
  EXPECT_TRUE(rig.sampler.sample()->swap.has_value());
  EXPECT_EQ(log.count("Swap yeniden okunabiliyor"), 1u);
}

TEST(MemorySamplerTest, StatisticsFailureThrowsAndTouchesNoState) {
  LogCapture log;
  MemoryRig rig;
  rig.fake->pressureResult = 3;
  (void)rig.sampler.sample();  // page size and memory size cached, pressure issue stored
  rig.fake->statisticsResult = Failure{std::string("/proc/meminfo okunamadı: No such file or directory (errno 2)")};
  rig.fake->pageSizeResult = Failure{std::string("must not be asked again")};
  rig.fake->physical = 0;
  auto failed = rig.sampler.sample();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message(), "/proc/meminfo okunamadı: No such file or directory (errno 2)");
  rig.fake->statisticsResult = VMStatistics{};
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->totalBytes, 1'000'000'000u);
  EXPECT_EQ(rig.fake->pageSizeCalls, 1);
  EXPECT_EQ(rig.fake->physicalCalls, 1);
  EXPECT_EQ(log.records().size(), 1u);  // the pressure issue was still known: no second entry
}

TEST(MemorySamplerTest, PageSizeAndMemorySizeFailuresAreRetried) {
  MemoryRig rig;
  rig.fake->pageSizeResult = Failure{std::string("sysconf(_SC_PAGESIZE): Invalid argument (errno 22)")};
  EXPECT_EQ(rig.sampler.sample().error().message(), "sysconf(_SC_PAGESIZE): Invalid argument (errno 22)");
  rig.fake->pageSizeResult = uint64_t{0};
  EXPECT_EQ(rig.sampler.sample().error().message(), "sysconf(_SC_PAGESIZE): sayfa boyutu 0");
  rig.fake->pageSizeResult = uint64_t{4096};
  rig.fake->physical = 0;
  EXPECT_EQ(rig.sampler.sample().error().message(), "/proc/meminfo MemTotal: 0");
  rig.fake->physical = 8192;
  EXPECT_TRUE(rig.sampler.sample().ok());
}

}  // namespace
}  // namespace kovra
