#include "present/visibility.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "core/manual_executor.h"
#include "present/navigation.h"

namespace kovra {
namespace {

namespace Reason = ArayuzVisibilityReason;

class VisibilityTest : public ::testing::Test {
 protected:
  ArayuzVisibilityTracker::WindowQuery query() {
    return [this] { return window; };
  }
  std::unique_ptr<ArayuzVisibilityTracker> make(bool forceVisible) {
    return std::make_unique<ArayuzVisibilityTracker>(executor, [this](bool v) { reports.push_back(v); },
                                                     forceVisible);
  }

  ManualExecutor executor;
  ArayuzWindowFacts window{false, 0, false, true, true};
  std::vector<bool> reports;
  LogCapture log;
};

TEST_F(VisibilityTest, CoveredMainWindowIsHiddenAndRepeatsAreDropped) {
  auto tracker = make(false);
  tracker->moveToWindow(query());
  EXPECT_TRUE(reports.empty());  // always delivered later, never from inside the call
  executor.runPending();
  EXPECT_EQ(reports, std::vector<bool>{true});

  window.occlusionVisible = false;
  EXPECT_EQ(tracker->decide(false, false), (ArayuzVisibilityDecision{false, Reason::occluded}));
  tracker->handle(ArayuzWindowEvent::occlusionChanged);
  tracker->handle(ArayuzWindowEvent::didResignKey);  // same answer: no second report
  executor.runPending();
  EXPECT_EQ(reports, (std::vector<bool>{true, false}));

  window.occlusionVisible = true;
  tracker->handle(ArayuzWindowEvent::didBecomeKey);
  executor.runPending();
  EXPECT_EQ(reports, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(log.messages("ui"), (std::vector<std::string>{"ana pencere görünür: true (ekranda)",
                                                          "ana pencere görünür: false (örtülme)",
                                                          "ana pencere görünür: true (ekranda)"}));
}

TEST_F(VisibilityTest, DecisionTable) {
  auto tracker = make(false);
  EXPECT_EQ(tracker->decide(false, false), (ArayuzVisibilityDecision{false, Reason::noWindow}));
  tracker->moveToWindow(query());
  EXPECT_EQ(tracker->decide(true, false).reason, Reason::closing);
  window.isMiniaturized = true;
  EXPECT_EQ(tracker->decide(false, false).reason, Reason::minimized);
  window.isMiniaturized = false;
  window.isVisible = false;
  EXPECT_EQ(tracker->decide(false, false), (ArayuzVisibilityDecision{false, Reason::notVisible}));
  // Application notifications are not watched without the override.
  EXPECT_FALSE(tracker->observesApplication());
  tracker->moveToWindow({});
  executor.runPending();
  EXPECT_EQ(reports, (std::vector<bool>{true, false}));
  tracker->handle(ArayuzWindowEvent::occlusionChanged);  // no window: nothing observed
  EXPECT_EQ(executor.postedCount(), 0u);
}

TEST_F(VisibilityTest, ForcedVisibleMainWindow) {
  auto tracker = make(true);
  window.occlusionVisible = false;  // covered
  tracker->moveToWindow(query());
  EXPECT_TRUE(tracker->observesApplication());
  EXPECT_EQ(tracker->decide(false, false), (ArayuzVisibilityDecision{true, Reason::forced}));
  window.isVisible = false;  // the app is hidden
  tracker->handle(ArayuzWindowEvent::applicationHidden);
  window.isMiniaturized = true;
  tracker->handle(ArayuzWindowEvent::didMiniaturize);
  window.isMiniaturized = false;
  tracker->handle(ArayuzWindowEvent::didDeminiaturize);
  tracker->handle(ArayuzWindowEvent::willClose);
  tracker->handle(ArayuzWindowEvent::occlusionChanged);  // stays closed
  tracker->handle(ArayuzWindowEvent::didBecomeKey);      // reopened
  executor.runPending();
  EXPECT_EQ(reports, (std::vector<bool>{true, false, true, false, true}));
  EXPECT_EQ(log.count("ana pencere görünür: false (kapanma)"), 1u);
}

TEST_F(VisibilityTest, PanelsNeverCountAsMainWindowsAndNeverLog) {
  auto tracker = make(true);
  window.isPanel = true;
  window.occlusionVisible = false;
  tracker->moveToWindow(query());
  EXPECT_FALSE(tracker->tracksMainWindow());
  EXPECT_FALSE(tracker->observesApplication());
  window.occlusionVisible = true;
  tracker->handle(ArayuzWindowEvent::occlusionChanged);
  executor.runPending();
  EXPECT_EQ(reports, (std::vector<bool>{false, true}));
  EXPECT_TRUE(log.messages("ui").empty());

  // A floating window (level above normal) is not a main window either.
  window = {false, 3, false, true, true};
  tracker->moveToWindow(query());
  EXPECT_FALSE(tracker->tracksMainWindow());
}

TEST_F(VisibilityTest, ReportForAGoneTrackerIsDropped) {
  auto tracker = make(false);
  tracker->moveToWindow(query());
  tracker.reset();
  executor.runPending();
  EXPECT_TRUE(reports.empty());
}

TEST(Navigation, NotifiesOnlyRealChanges) {
  ArayuzNavigation nav;
  int changes = 0;
  auto token = nav.path.subscribe([&](const std::vector<CardKind>&) { ++changes; });
  nav.open(CardKind::network);
  nav.open(CardKind::network);
  EXPECT_TRUE(nav.showsNetworkDetail());
  nav.back();
  nav.back();
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(nav.showsNetworkDetail());
}

}  // namespace
}  // namespace kovra
