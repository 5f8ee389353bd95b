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

ProcessorTimes times(uint64_t user, uint64_t system, uint64_t idle, uint64_t nice) {
  return ProcessorTimes{.user = user, .nice = nice, .system = system, .idle = idle};
}

TEST(CPUSamplerTest, FirstReadingIsABaselineThenFractionsFollow) {
  CpuRig rig;
  rig.fake->push({times(100, 50, 800, 10), times(100, 50, 800, 10)})
      .push({times(130, 60, 850, 20), times(130, 60, 850, 20)});
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  // Per processor: user 30, system 10, idle 50, nice 10 → total 100.
  EXPECT_DOUBLE_EQ(s->usage, 0.5);
  EXPECT_DOUBLE_EQ(s->userFraction, 0.4);  // nice counts as user
  EXPECT_DOUBLE_EQ(s->systemFraction, 0.1);
  EXPECT_EQ(s->coreCount, 2);
}

TEST(CPUSamplerTest, IrqCountsAsSystemIowaitAndStealAsIdleAndBackStepsAddNothing) {
  CpuRig rig;
  ProcessorTimes a{.user = 10, .nice = 0, .system = 10, .idle = 100, .iowait = 50, .irq = 1, .softirq = 1, .steal = 5};
  ProcessorTimes b{.user = 20, .nice = 0, .system = 15, .idle = 130, .iowait = 40, .irq = 3, .softirq = 4, .steal = 15};
  ProcessorTimes c = b;
  c.user = 2;  // a counter that stepped back
  c.idle = 170;
  rig.fake->push({a}).push({b}).push({c});
  (void)rig.sampler.sample();
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  // user 10, system 5 + 2 + 3 = 10, idle 30 − 10 + 10 = 30 (iowait stepped back inside idle + iowait).
  EXPECT_DOUBLE_EQ(s->usage, 20.0 / 50.0);
  EXPECT_DOUBLE_EQ(s->systemFraction, 10.0 / 50.0);
  auto back = rig.sampler.sample();
  ASSERT_TRUE(back.ok());
  EXPECT_DOUBLE_EQ(back->usage, 0.0);
}

TEST(CPUSamplerTest, ProcessorCountChangeRestartsTheBaselineAndNoTimeIsNotReady) {
  CpuRig rig;
  rig.fake->push({times(0, 0, 0, 0), times(0, 0, 0, 0)})
      .push({times(10, 0, 10, 0)})   // one processor went offline
      .push({times(20, 0, 20, 0)})   // same count again
      .push({times(20, 0, 20, 0)});  // nothing elapsed
  (void)rig.sampler.sample();
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_DOUBLE_EQ(s->usage, 0.5);
  EXPECT_EQ(s->coreCount, 1);
  EXPECT_TRUE(rig.sampler.sample().error().isNotReady());
}

TEST(CPUSamplerTest, FailureKeepsTheLastGoodBaseline) {
  CpuRig rig;
  rig.fake->push({times(0, 0, 0, 0)})
      .pushFailure("/proc/stat okunamadı: Permission denied (errno 13)")
      .push({times(30, 10, 60, 0)});
  (void)rig.sampler.sample();
  auto failed = rig.sampler.sample();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), SamplerError::unreadable("/proc/stat okunamadı: Permission denied (errno 13)"));
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());  // compared with the reading before the failure
  EXPECT_DOUBLE_EQ(s->usage, 0.4);
}

}  // namespace
}  // namespace kovra
