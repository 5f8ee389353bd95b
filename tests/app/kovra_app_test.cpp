#include "app/kovra_app.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/fake_samplers.h"
#include "core/log.h"
#include "core/manual_executor.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "store/sample_queues.h"

namespace kovra {
namespace {

class KovraAppTest : public ::testing::Test {
 protected:
  KovraAppParts parts() {
    auto settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
    samplers = SamplerSet::simulated();
    return KovraAppParts{executor,
                         measurer,
                         samplers,
                         settings,
                         notifier,
                         MantikClock{[] { return std::chrono::system_clock::now(); }, [this] { return executor.now(); }},
                         std::make_shared<ManualQueueFactory>()};
  }

  int64_t memoryReads() { return std::static_pointer_cast<FakeMemorySampler>(samplers.memory)->box.callCount(); }

  ManualExecutor executor;
  ArayuzFixedWidthMeasurer measurer;
  std::shared_ptr<MantikRecordingNotifier> notifier = std::make_shared<MantikRecordingNotifier>();
  SamplerSet samplers;
};

TEST_F(KovraAppTest, TestRunBuildsEverythingButNeitherSamplesNorTicks) {
  ASSERT_NE(std::getenv("XCTestConfigurationFilePath"), nullptr);
  KovraApp app(parts());
  executor.advance(60);
  EXPECT_FALSE(app.store().isRunning());
  EXPECT_TRUE(app.store().runningLoops().empty());
  EXPECT_EQ(memoryReads(), 0);
  EXPECT_FALSE(app.label().isStarted());
  EXPECT_EQ(notifier->authorizationRequests, 0);
  EXPECT_TRUE(app.navigation().path->empty());
  EXPECT_TRUE(app.label().onTick);
}

TEST_F(KovraAppTest, LiveRunStartsTheStoreAndTheLabelTimer) {
  std::string saved = std::getenv("XCTestConfigurationFilePath");
  ::unsetenv("XCTestConfigurationFilePath");
  {
    KovraApp app(parts());
    executor.runPending();
    EXPECT_TRUE(app.store().isRunning());
    EXPECT_TRUE(app.label().isStarted());
    EXPECT_EQ(notifier->authorizationRequests, 1);  // notifications are on by default
    EXPECT_GE(memoryReads(), 1);                     // memory is always sampled
  }
  ::setenv("XCTestConfigurationFilePath", saved.c_str(), 1);
}

TEST(OpenOverride, OnlyCardTargetsOpenAPage) {
  using Target = ArayuzOpenOverride::Target;
  LogCapture log;
  ArayuzNavigation nav;
  applyOpenOverride(Target::settings, nav);
  applyOpenOverride(Target::menupanel, nav);
  EXPECT_TRUE(nav.path->empty());
  applyOpenOverride(Target::cpu, nav);
  EXPECT_EQ(nav.path.value(), std::vector<CardKind>{CardKind::cpu});
  applyOpenOverride(std::nullopt, nav);
  EXPECT_EQ(log.messages("ui"), (std::vector<std::string>{"KOVRA_OPEN etkin: settings", "KOVRA_OPEN etkin: menupanel",
                                                          "KOVRA_OPEN etkin: cpu"}));
}

}  // namespace
}  // namespace kovra
