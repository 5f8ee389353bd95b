#include "samplers/process/app_terminator.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/fake/process_fake.h"

namespace kovra {
namespace {

using platform::FakeAppControl;
using platform::RunningApplication;
using Request = FakeAppControl::Request;

AppUsage app(std::string path, std::vector<int32_t> pids, std::optional<std::string> identifier = std::nullopt) {
  AppUsage a;
  a.id = path;
  a.name = "Notes";
  a.kind = AppGroupKind::app;
  a.bundlePath = std::move(path);
  a.bundleIdentifier = std::move(identifier);
  a.canTerminate = true;
  for (int32_t pid : pids) a.processes.push_back({pid, "p", 1, std::nullopt});
  return a;
}

struct Rig {
  std::shared_ptr<FakeAppControl> control = std::make_shared<FakeAppControl>();
  AppTerminator terminator{control};
};

TEST(AppTerminator, RulesRefuseWithoutSendingAnything) {
  Rig rig;
  rig.control->running = {{10, false, "/Applications/Notes.app", std::nullopt},
                          {20, false, "/System/Library/CoreServices/Finder.app", std::nullopt}};
  AppUsage system = app("/Applications/Notes.app", {10});
  system.kind = AppGroupKind::system;
  AppUsage cannot = app("/Applications/Notes.app", {10});
  cannot.canTerminate = false;
  AppUsage noPath = app("/Applications/Notes.app", {10});
  noPath.bundlePath.reset();
  AppUsage own = app("/Applications/Kovra.app", {10});
  AppUsage holdsUs = app("/Applications/Notes.app", {10, rig.control->pid});
  AppUsage finder = app("/System/Library/CoreServices/Finder.app", {20});
  LogCapture log;
  for (bool force : {false, true}) {
    for (const AppUsage* a : {&system, &cannot, &noPath, &own, &holdsUs, &finder}) {
      EXPECT_EQ(rig.terminator.terminate(*a, force), TerminateOutcome::notAllowed) << a->id;
    }
  }
  EXPECT_TRUE(rig.control->requests.empty());
  EXPECT_EQ(rig.control->runningCalls, 0);
  EXPECT_TRUE(log.records().empty());
}

TEST(AppTerminator, NothingRunningIsNotRunning) {
  Rig rig;
  LogCapture log;
  rig.control->running = {{10, true, "/Applications/Notes.app", std::nullopt},
                          {rig.control->pid, false, "/Applications/Notes.app", std::nullopt}};
  EXPECT_EQ(rig.terminator.terminate(app("/Applications/Notes.app", {10}), false), TerminateOutcome::notRunning);
  EXPECT_EQ(log.count("Kapatma: çalışan uygulama bulunamadı (Notes)"), 1u);
  EXPECT_TRUE(rig.control->requests.empty());
}

TEST(AppTerminator, NestedApplicationIsAskedWhenTheMainOneHasQuit) {
  Rig rig;
  rig.control->running = {{30, false, "/Applications/Notes.app/Contents/Library/LoginItems/Helper.app", "h"},
                          {31, false, "/Applications/Notes.appendix.app", std::nullopt}};
  EXPECT_EQ(rig.terminator.terminate(app("/Applications/Notes.app", {30}), true), TerminateOutcome::requested);
  EXPECT_EQ(rig.control->requests, (std::vector<Request>{{30, true}}));

  // With an exact match the nested one is left alone.
  rig.control->requests.clear();
  rig.control->running.push_back({32, false, "/System/Volumes/Data/Applications/Notes.app", std::nullopt});
  EXPECT_EQ(rig.terminator.terminate(app("/Applications/Notes.app", {30}), false), TerminateOutcome::requested);
  EXPECT_EQ(rig.control->requests, (std::vector<Request>{{32, false}}));
}

TEST(AppTerminator, SameIdentifierCountsOnlyForMemberPids) {
  Rig rig;
  rig.control->running = {{40, false, "/Other/Notes.app", "com.example.notes"},
                          {41, false, "/Elsewhere/Notes.app", "com.example.notes"}};
  auto a = app("/Applications/Notes.app", {41}, "com.example.notes");
  EXPECT_EQ(rig.terminator.terminate(a, false), TerminateOutcome::requested);
  EXPECT_EQ(rig.control->requests, (std::vector<Request>{{41, false}}));
}

TEST(AppTerminator, OneRefusalAndOneAcceptanceIsRequested) {
  Rig rig;
  LogCapture log;
  rig.control->running = {{50, false, "/Applications/Notes.app", std::nullopt},
                          {51, false, "/Applications/Notes.app", std::nullopt}};
  rig.control->refusing = {50};
  EXPECT_EQ(rig.terminator.terminate(app("/Applications/Notes.app", {50, 51}), false), TerminateOutcome::requested);
  EXPECT_EQ(log.count("Kapatma reddedildi: Notes pid 50 force=0"), 1u);
  EXPECT_EQ(log.count("Kapatma istendi: Notes force=0"), 1u);

  rig.control->refusing = {50, 51};
  EXPECT_EQ(rig.terminator.terminate(app("/Applications/Notes.app", {50, 51}), true), TerminateOutcome::failed);
  EXPECT_EQ(log.count("Kapatma reddedildi: Notes pid 51 force=1"), 1u);
}

}  // namespace
}  // namespace kovra
