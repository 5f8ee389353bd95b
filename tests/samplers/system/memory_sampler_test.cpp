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
  explicit MemoryRig(std::unique_ptr<FakeMemoryPlatform> f) : fake(f.get()), sampler(std::move(f)) {}
};

TEST(MemorySamplerTest, FiguresPressureAndSwapMakeOneSnapshot) {
  MemoryRig rig;
  rig.fake->figuresResult = MemoryFigures{1'000'000'000, 90, 20, 5, 60};
  rig.fake->pressureResult = MemoryPressure::critical;
  rig.fake->swapResult = SwapUsage{2048, 1024};
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(*s, (MemorySnapshot{1'000'000'000, 90, 20, 5, 60, MemoryPressure::critical, SwapUsage{2048, 1024}}));
}

TEST(MemorySamplerTest, PressureProblemIsLoggedOnceAndRecoveryOnce) {
  LogCapture log;
  MemoryRig rig;
  rig.fake->pressureResult = Failure{std::string("/proc/pressure/memory: beklenmeyen biçim")};
  const std::string problem = "Bellek baskısı okunamadı: /proc/pressure/memory: beklenmeyen biçim";
  for (int i = 0; i < 3; ++i) {
    auto s = rig.sampler.sample();
    ASSERT_TRUE(s.ok());
    EXPECT_FALSE(s->pressure.has_value());
  }
  EXPECT_EQ(log.count(problem), 1u);
  rig.fake->pressureResult = MemoryPressure::warning;
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

TEST(MemorySamplerTest, FiguresFailureFailsTheReadingAndKeepsKnownIssues) {
  LogCapture log;
  MemoryRig rig;
  rig.fake->pressureResult = Failure{std::string("p")};
  (void)rig.sampler.sample();
  rig.fake->figuresResult = Failure{std::string("/proc/meminfo okunamadı: No such file or directory (errno 2)")};
  auto failed = rig.sampler.sample();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message(), "/proc/meminfo okunamadı: No such file or directory (errno 2)");
  rig.fake->figuresResult = MemoryFigures{8192, 0, 0, 0, 0};
  ASSERT_TRUE(rig.sampler.sample().ok());
  EXPECT_EQ(log.records().size(), 1u);  // the pressure issue was still known: no second entry
}

}  // namespace
}  // namespace kovra
