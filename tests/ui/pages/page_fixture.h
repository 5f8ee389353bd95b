#pragma once
// A store fed by simulated samplers on a manual executor, the two presentation models, and a
// scanner that waits for the test before it answers. Pages built here run on the offscreen
// platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>

#include "core/fake_samplers.h"
#include "core/manual_executor.h"
#include "logic/app_settings.h"
#include "logic/clock.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "store/store.h"
#include "ui/pages/detail_pages.h"
#include "ui/pages/page_style.h"

// Readable test failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kovra::ui::testing {

// Reports one progress record, then waits until the test releases it (or the scan is stopped).
class GateScanner : public DiskScanning {
 public:
  Result<DiskScanResult, ScanError> scan(const std::string&, const ProgressHandler& onProgress,
                                         std::stop_token stop) override {
    if (onProgress) onProgress(progress);
    std::unique_lock lock(mutex_);
    while (!released_ && !stop.stop_requested()) changed_.wait_for(lock, std::chrono::milliseconds(5));
    if (stop.stop_requested()) return Failure{ScanError::cancelled()};
    return answer;
  }
  bool hasFullDiskAccess() override { return true; }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

  DiskScanProgress progress{1234, 5'600'000'000ull, "/home/user/Documents/projects", 0.42};
  Result<DiskScanResult, ScanError> answer{fakeDiskScanResult()};

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
};

AppUsage makeApp(const std::string& id, const std::string& name, uint64_t bytes, std::optional<double> cpu,
                 bool canTerminate = true, int processCount = 2);

class PageFixture : public ::testing::Test {
 protected:
  PageFixture();
  ~PageFixture() override;

  void read() {
    store->refreshNow();
    executor.runPending();
  }
  void advance(double seconds) { executor.advance(seconds); }
  void setProcesses(ProcessListSnapshot snapshot) { processSampler->box.set(std::move(snapshot)); }
  // Reads processes (and whatever else is set) and refreshes the detail model like a label tick.
  void tick() {
    advance(2);
    read();
    detail->refresh();
  }
  // Runs the scan thread's posts until `done` holds (bounded, not a timing assertion).
  template <class Pred>
  bool waitFor(Pred done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      executor.waitForPost(std::chrono::milliseconds(10));
      executor.runPending();
    }
    return done();
  }
  PageContext context(bool drivesSampling = false) {
    return PageContext{*store, *detail, *dashboard, executor, drivesSampling};
  }

  ManualExecutor executor{1000};
  Date wallStart = MantikManualClock::defaultStart();
  std::shared_ptr<ManualQueueFactory> queues = std::make_shared<ManualQueueFactory>();
  std::shared_ptr<AppSettings> settings;
  std::shared_ptr<FakeMemorySampler> memorySampler = std::make_shared<FakeMemorySampler>();
  std::shared_ptr<FakeCPUSampler> cpuSampler = std::make_shared<FakeCPUSampler>();
  std::shared_ptr<FakeNetworkSampler> networkSampler = std::make_shared<FakeNetworkSampler>();
  std::shared_ptr<FakeProcessSampler> processSampler = std::make_shared<FakeProcessSampler>();
  std::shared_ptr<FakeDiskSampler> diskSampler = std::make_shared<FakeDiskSampler>();
  std::shared_ptr<FakeBatterySampler> batterySampler = std::make_shared<FakeBatterySampler>();
  std::shared_ptr<FakeSensorsSampler> sensorsSampler = std::make_shared<FakeSensorsSampler>();
  std::shared_ptr<FakeProcessNetworkSampler> processNetworkSampler = std::make_shared<FakeProcessNetworkSampler>();
  std::shared_ptr<FakeAppTerminator> terminator = std::make_shared<FakeAppTerminator>();
  std::shared_ptr<GateScanner> scanner = std::make_shared<GateScanner>();
  std::unique_ptr<Store> store;
  std::unique_ptr<ArayuzDetailModel> detail;
  std::unique_ptr<ArayuzDashboardModel> dashboard;
};

// The first descendant of `root` of type T whose text is `text`.
template <class T>
T* findByText(QWidget* root, const QString& text) {
  for (T* w : root->findChildren<T*>()) {
    if (w->text() == text) return w;
  }
  return nullptr;
}

// Whether `w` would be shown if `root` were (every ancestor up to root visible).
inline bool shownIn(const QWidget* w, const QWidget* root) { return w && w->isVisibleTo(root); }

}  // namespace kovra::ui::testing
