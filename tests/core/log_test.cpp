#include "core/log.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/fake_samplers.h"
#include "core/localize.h"
#include "core/runtime.h"

namespace kovra {
namespace {

TEST(Log, ChannelsCarrySubsystemCategoryAndLevel) {
  LogCapture capture;
  Log::sampler.error("a");
  Log::store.log("b");
  Log::ui.info("c");
  Log::ui.debug("d");
  auto r = capture.records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0], (LogRecord{"com.example.Kovra", "sampler", LogLevel::error, "a"}));
  EXPECT_EQ(r[1].category, "store");
  EXPECT_EQ(r[1].level, LogLevel::defaultLevel);
  EXPECT_EQ(r[2].level, LogLevel::info);
  EXPECT_EQ(r[3].level, LogLevel::debug);
  EXPECT_EQ(capture.messages("ui"), (std::vector<std::string>{"c", "d"}));
  EXPECT_EQ(capture.count("a"), 1u);
}

TEST(Log, NestedCapturesRestoreTheOuterSink) {
  LogCapture outer;
  {
    LogCapture inner;
    Log::store.log("inner");
    EXPECT_EQ(inner.count("inner"), 1u);
  }
  Log::store.log("outer");
  EXPECT_EQ(outer.count("inner"), 0u);
  EXPECT_EQ(outer.count("outer"), 1u);
}

TEST(Runtime, TestAndPreviewFlagsFromTheEnvironment) {
  ::setenv("XCTestConfigurationFilePath", "", 1);
  EXPECT_TRUE(Runtime::isRunningTests());
  ::unsetenv("XCTestConfigurationFilePath");
  EXPECT_FALSE(Runtime::isRunningTests());
  ::setenv("XCTestConfigurationFilePath", "kovra", 1);

  ::setenv("XCODE_RUNNING_FOR_PREVIEWS", "true", 1);
  EXPECT_FALSE(Runtime::isPreview());
  ::setenv("XCODE_RUNNING_FOR_PREVIEWS", "1", 1);
  EXPECT_TRUE(Runtime::isPreview());
  ::unsetenv("XCODE_RUNNING_FOR_PREVIEWS");
  EXPECT_FALSE(Runtime::isPreview());
}

TEST(Localization, KeyIsTheTextUntilATableIsLoaded) {
  EXPECT_EQ(localized("dk", "Dakika"), "dk");
  setLocalizationTable({{"dk", "min"}});
  EXPECT_EQ(localized("dk"), "min");
  EXPECT_EQ(localized("sa"), "sa");
  setLocalizationTable({});
  EXPECT_EQ(localized("dk"), "dk");
}

TEST(FakeSamplers, BoxCountsReadsAndReturnsStoredErrors) {
  FakeCPUSampler cpu(CPUSnapshot{0.5, 0.25, 0.25, 2});
  EXPECT_EQ(cpu.sample().value().coreCount, 2);
  cpu.box.set(notReady());
  auto r = cpu.sample();
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.error().isNotReady());
  EXPECT_EQ(r.error().text(), "notReady");
  EXPECT_EQ(cpu.box.callCount(), 2);

  FakeBatterySampler none{std::nullopt};
  EXPECT_EQ(none.sample().value(), std::nullopt);

  FakeAppTerminator term;
  EXPECT_EQ(term.terminate(AppUsage{}, false), TerminateOutcome::requested);
  term.outcome.set(Failure{SamplerError::unreadable("x")});
  EXPECT_EQ(term.terminate(AppUsage{}, true), TerminateOutcome::failed);
}

TEST(FakeSamplers, ScannerReportsProgressThenHonoursCancellation) {
  FakeDiskScanner scanner;
  std::vector<DiskScanProgress> seen;
  std::stop_source stop;
  auto ok = scanner.scan("/home", [&](const DiskScanProgress& p) { seen.push_back(p); }, stop.get_token());
  ASSERT_TRUE(ok.ok());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (DiskScanProgress{48210, 96000000000ull, "~/Library/Caches", 0.35}));

  stop.request_stop();
  auto cancelled = scanner.scan("/home", nullptr, stop.get_token());
  ASSERT_FALSE(cancelled.ok());
  EXPECT_TRUE(cancelled.error().isCancelled());

  scanner.fullDiskAccess.set(Failure{ScanError::failed("x")});
  EXPECT_FALSE(scanner.hasFullDiskAccess());
}

}  // namespace
}  // namespace kovra
