#include "app/headless_run.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "core/fake_samplers.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"

namespace kovra {
namespace {

std::shared_ptr<AppSettings> testSettings() {
  return std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
}

TEST(HeadlessRun, SamplesLiveOnTheEventLoopUntilStopped) {
  HeadlessRun::Options options;
  options.visibleSurfaces = {Surface::menuPanel};
  options.stopOnSignals = false;
  options.ignoreRunMode = true;
  HeadlessRun headless(SamplerSet::simulated(), testSettings(), std::make_shared<MantikRecordingNotifier>(), options);
  Store& store = headless.store();
  // Kinds are read on their own threads, so readings arrive in any order: wait for both.
  auto token = store.observeAnyChange([&] {
    if (store.memory() && store.battery()) headless.stop();
  });
  bool timedOut = false;
  headless.executor().postAfter(30, 0, [&] {
    timedOut = true;
    headless.stop();
  });
  EXPECT_EQ(headless.run(), 0);
  ASSERT_FALSE(timedOut);
  EXPECT_TRUE(store.isRunning());
  EXPECT_TRUE(store.memory());
  EXPECT_EQ(store.battery(), fakeBatterySnapshot());
}

TEST(HeadlessRun, InterruptEndsTheRun) {
  HeadlessRun::Options options;
  options.ignoreRunMode = false;  // a test run: the store stays idle, the loop still turns
  HeadlessRun headless(SamplerSet::simulated(), testSettings(), std::make_shared<MantikRecordingNotifier>(), options);
  bool timedOut = false;
  headless.executor().post([] { ::kill(::getpid(), SIGINT); });
  headless.executor().postAfter(30, 0, [&] {
    timedOut = true;
    headless.stop();
  });
  EXPECT_EQ(headless.run(), 0);
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(headless.store().isRunning());
}

}  // namespace
}  // namespace kovra
