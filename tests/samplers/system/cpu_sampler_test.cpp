#include <gtest/gtest.h>

#include "platform/fake/fake_system_platforms.h"
#include "samplers/system/cpu_sampler.h"

namespace kovra {
namespace {

struct CpuRig {
  FakeCPUPlatform* fake;
  CPUSampler sampler;
  CpuRig() : CpuRig(std::make_unique<FakeCPUPlatform>()) {}
  explicit CpuRig(std::unique_ptr<FakeCPUPlatform> f) : fake(f.get()), sampler(std::move(f)) {}
};

// Two processors: user, system, idle, nice each.
std::vector<uint32_t> ticks(uint32_t u, uint32_t s, uint32_t i, uint32_t n) { return {u, s, i, n, u, s, i, n}; }

TEST(CPUSamplerTest, FirstReadingIsABaselineThenFractionsFollow) {
  CpuRig rig;
  rig.fake->push(2, ticks(100, 50, 800, 10)).push(2, ticks(130, 60, 850, 20));
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  // Per processor: user 30, system 10, idle 50, nice 10 → total 100.
  EXPECT_DOUBLE_EQ(s->usage, 0.5);
  EXPECT_DOUBLE_EQ(s->userFraction, 0.4);  // nice counts as user
  EXPECT_DOUBLE_EQ(s->systemFraction, 0.1);
  EXPECT_DOUBLE_EQ(s->usage, s->userFraction + s->systemFraction);
  EXPECT_EQ(s->coreCount, 2);
}

TEST(CPUSamplerTest, IdenticalTicksAreNotReady) {
  CpuRig rig;
  rig.fake->push(2, ticks(1, 2, 3, 4));
  (void)rig.sampler.sample();
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
}

TEST(CPUSamplerTest, WrappedCounterCountsItsTrueStep) {
  CpuRig rig;
  rig.fake->push(1, {4294967290u, 0, 0, 0}).push(1, {10, 0, 16, 0});
  (void)rig.sampler.sample();
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_DOUBLE_EQ(s->usage, 0.5);  // 16 user ticks, 16 idle ticks
}

TEST(CPUSamplerTest, ProcessorCountChangeRestartsTheBaseline) {
  CpuRig rig;
  rig.fake->push(2, ticks(0, 0, 0, 0))
      .push(1, {10, 0, 10, 0})   // one processor went offline
      .push(1, {20, 0, 20, 0});  // same count again
  (void)rig.sampler.sample();
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_DOUBLE_EQ(s->usage, 0.5);
  EXPECT_EQ(s->coreCount, 1);
}

TEST(CPUSamplerTest, NiceAndIdleTicksLandInTheRightShares) {
  CpuRig rig;
  rig.fake->push(1, {0, 0, 0, 0}).push(1, {0, 0, 0, 10}).push(1, {0, 0, 30, 10});
  (void)rig.sampler.sample();
  auto nice = rig.sampler.sample();
  ASSERT_TRUE(nice.ok());
  EXPECT_DOUBLE_EQ(nice->usage, 1.0);
  EXPECT_DOUBLE_EQ(nice->userFraction, 1.0);
  EXPECT_DOUBLE_EQ(nice->systemFraction, 0.0);
  auto idle = rig.sampler.sample();
  ASSERT_TRUE(idle.ok());
  EXPECT_DOUBLE_EQ(idle->usage, 0.0);
}

TEST(CPUSamplerTest, FailureKeepsTheLastGoodBaseline) {
  CpuRig rig;
  rig.fake->push(1, {0, 0, 0, 0})
      .pushFailure("/proc/stat okunamadı: Permission denied (errno 13)")
      .push(1, {30, 10, 60, 0});
  (void)rig.sampler.sample();
  auto failed = rig.sampler.sample();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), SamplerError::unreadable("/proc/stat okunamadı: Permission denied (errno 13)"));
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());  // compared with the reading before the failure
  EXPECT_DOUBLE_EQ(s->usage, 0.4);
}

TEST(CPUSamplerTest, TooFewValuesOrNoProcessorsAreUnreadable) {
  CpuRig rig;
  rig.fake->push(1, {0, 0, 0, 0}).push(2, {1, 2, 3, 4, 5}).push(0, {}).push(1, {10, 0, 10, 0, 99});
  (void)rig.sampler.sample();
  EXPECT_EQ(rig.sampler.sample().error().message(), "/proc/stat: 2 işlemci, 5 değer (beklenen en az 8)");
  EXPECT_EQ(rig.sampler.sample().error().message(), "/proc/stat: 0 işlemci, 0 değer (beklenen en az 0)");
  // Extra values past the processors' own are ignored, and the baseline survived both failures.
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_DOUBLE_EQ(s->usage, 0.5);
}

}  // namespace
}  // namespace kovra
