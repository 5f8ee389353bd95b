// Quitting apps (one delayed process re-read) and the home folder scan (its own thread, progress
// hopped to the main sequence, generations, cancellation).

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/log.h"
#include "store_fixture.h"

namespace kovra::testing {
namespace {

using K = MantikSampleKind;

// A scanner that reports one progress, keeps a copy of the progress handler, and answers only
// when released (or at once when cancelled, unless it ignores cancellation).
class GatedScanner : public DiskScanning {
 public:
  Result<DiskScanResult, ScanError> scan(const std::string& root, const ProgressHandler& onProgress,
                                         std::stop_token stop) override {
    {
      std::lock_guard g(mutex_);
      roots_.push_back(root);
      handler_ = onProgress;
    }
    onProgress(DiskScanProgress{1, 10, root, 0.1});
    std::stop_callback wake(stop, [this] {
      std::lock_guard g(mutex_);
      changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return released_ || (!ignoreStop && stop.stop_requested()); });
    if (!released_) return Failure{ScanError::cancelled()};
    released_ = false;
    return answer;
  }
  bool hasFullDiskAccess() override { return true; }

  void release() {
    std::lock_guard g(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  ProgressHandler handler() {
    std::lock_guard g(mutex_);
    return handler_;
  }
  std::vector<std::string> roots() {
    std::lock_guard g(mutex_);
    return roots_;
  }

  // Set before the scan starts.
  Result<DiskScanResult, ScanError> answer = fakeDiskScanResult();
  bool ignoreStop = false;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
  ProgressHandler handler_;
  std::vector<std::string> roots_;
};

class StoreActionsTest : public StoreTest {
 protected:
  StoreActionsTest() { scanner = gated; }

  // Runs main-sequence tasks until `done` holds, waiting for the scan thread's posts.
  template <class Pred>
  void runUntil(Pred done) {
    for (int i = 0; i < 1000; ++i) {
      ex.runPending();
      if (done()) return;
      if (!ex.waitForPost(std::chrono::seconds(10))) break;
    }
    FAIL() << "the scan never reported back";
  }
  void runUntilScanEnds() {
    runUntil([&] { return !store->isScanning(); });
  }

  std::shared_ptr<GatedScanner> gated = std::make_shared<GatedScanner>();
  const AppUsage app = fakeProcessListSnapshot().apps.front();
};

TEST_F(StoreActionsTest, RefusedQuitReadsNothingAndOtherOutcomesReReadOnceAfterTheDelay) {
  Store& s = make();
  terminator->outcome.set(TerminateOutcome::notAllowed);
  EXPECT_EQ(s.terminate(app, false), TerminateOutcome::notAllowed);
  EXPECT_TRUE(ex.scheduled().empty());
  ex.advance(5);
  EXPECT_EQ(callsOf(K::processes), 0);

  for (TerminateOutcome outcome : {TerminateOutcome::requested, TerminateOutcome::notRunning, TerminateOutcome::failed}) {
    terminator->outcome.set(outcome);
    int64_t before = callsOf(K::processes);
    EXPECT_EQ(s.terminate(app, true), outcome);
    ex.advance(0.999);
    EXPECT_EQ(callsOf(K::processes), before);
    ex.advance(0.001);
    EXPECT_EQ(callsOf(K::processes), before + 1);
    ASSERT_TRUE(s.processes());
    ex.advance(10);
    EXPECT_EQ(callsOf(K::processes), before + 1);
  }
}

TEST_F(StoreActionsTest, QuitsInQuickSuccessionEndInOneReReadAfterTheLast) {
  Store& s = make();
  s.terminate(app, false);
  ex.advance(0.5);
  s.terminate(app, true);
  ex.advance(0.999);
  EXPECT_EQ(callsOf(K::processes), 0);
  ex.advance(0.001);
  EXPECT_EQ(callsOf(K::processes), 1);
  ex.advance(10);
  EXPECT_EQ(callsOf(K::processes), 1);
}

TEST_F(StoreActionsTest, ScanRunsOnceAtATimeAndLateProgressNeverOverwritesTheResult) {
  Store& s = make();
  s.startDiskScan();
  EXPECT_EQ(s.diskScan(), DiskScanState::scanning(DiskScanProgress{}));
  runUntil([&] { return s.diskScan().progress.scannedFileCount == 1; });
  EXPECT_EQ(s.diskScan().progress.currentPath, "/home/test");

  s.startDiskScan();  // ignored, not queued
  EXPECT_EQ(s.scanGeneration(), 1u);
  EXPECT_EQ(s.diskScan().progress.scannedFileCount, 1);

  gated->release();
  runUntilScanEnds();
  EXPECT_EQ(s.diskScan(), DiskScanState::finished(fakeDiskScanResult()));
  EXPECT_EQ(gated->roots(), std::vector<std::string>{"/home/test"});

  auto firstHandler = gated->handler();
  firstHandler(DiskScanProgress{99, 990, std::nullopt, 0.9});
  ex.runPending();
  EXPECT_EQ(s.diskScan().kind, DiskScanState::Case::finished);

  // A new scan shows the empty progress first; the old scan's progress is dropped.
  s.startDiskScan();
  EXPECT_EQ(s.scanGeneration(), 2u);
  EXPECT_EQ(s.diskScan(), DiskScanState::scanning(DiskScanProgress{}));
  runUntil([&] { return s.diskScan().progress.scannedFileCount == 1; });
  firstHandler(DiskScanProgress{99, 990, std::nullopt, 0.9});
  ex.runPending();
  EXPECT_EQ(s.diskScan().progress.scannedFileCount, 1);
  gated->release();
  runUntilScanEnds();
  EXPECT_EQ(s.diskScan().kind, DiskScanState::Case::finished);
}

TEST_F(StoreActionsTest, CancelledScanEndsCancelledWhetherTheScannerStopsOrAnswersAnyway) {
  LogCapture log;
  Store& s = make();
  s.startDiskScan();
  s.cancelDiskScan();
  EXPECT_EQ(s.diskScan().kind, DiskScanState::Case::scanning);  // until the scan has ended
  runUntilScanEnds();
  EXPECT_EQ(s.diskScan(), DiskScanState::cancelled());

  gated->ignoreStop = true;  // answers with a result after being cancelled
  s.startDiskScan();
  runUntil([&] { return !gated->roots().empty() && gated->roots().size() == 2; });
  s.cancelDiskScan();
  s.startDiskScan();  // still ignored while the cancelled scan runs
  EXPECT_EQ(s.scanGeneration(), 2u);
  gated->release();
  runUntilScanEnds();
  EXPECT_EQ(s.diskScan(), DiskScanState::cancelled());
  EXPECT_TRUE(log.messages("store").empty());
}

TEST_F(StoreActionsTest, FailedScanPublishesTheMessageAndLogsItOnce) {
  LogCapture log;
  gated->answer = Failure{ScanError::failed("opendir başarısız: izin yok")};
  Store& s = make();
  s.startDiskScan();
  gated->release();
  runUntilScanEnds();
  EXPECT_EQ(s.diskScan(), DiskScanState::failed("opendir başarısız: izin yok"));
  EXPECT_EQ(log.messages("store"), std::vector<std::string>{"Disk taraması başarısız: opendir başarısız: izin yok"});
}

TEST_F(StoreActionsTest, DestroyingTheStoreDuringAScanStopsItAndPublishesNothing) {
  Store& s = make();
  int changes = 0;
  auto token = s.diskScanProperty().subscribe([&](const auto&) { ++changes; });
  s.startDiskScan();
  store.reset();  // asks the scan to stop and waits for it
  ex.runPending();
  EXPECT_EQ(changes, 1);  // only the start
  EXPECT_EQ(gated->roots().size(), 1u);
}

}  // namespace
}  // namespace kovra::testing
