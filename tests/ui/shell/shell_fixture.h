#pragma once
// A running store on virtual time with simulated samplers, its models, and the context the
// shell's windows are built from (telling the store of visibility, as the live program does).

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

#include "core/manual_executor.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "present/text_measurer.h"
#include "store/sample_queues.h"
#include "store/virtual_clock.h"
#include "ui/shell/shell_context.h"

namespace kovra::ui::testing {

class ShellFixture : public ::testing::Test {
 protected:
  ShellFixture() {
    settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
    store = std::make_unique<Store>(SamplerSet::simulated(), settings, std::make_shared<MantikRecordingNotifier>(),
                                    executorClock(ex), 1.0,
                                    StoreEnvironment{ex, std::make_shared<ManualQueueFactory>(), std::string("/tmp")});
    store->startIgnoringRunMode();
    dashboard = std::make_shared<ArayuzDashboardModel>(*store);
    detail = std::make_shared<ArayuzDetailModel>(*store);
    label = std::make_unique<ArayuzMenuBarLabelModel>(*store, ex, measurer);
    settle();
  }

  ShellContext context() {
    return ShellContext{*store, *settings, *dashboard, *detail, navigation, *label, ex, true, false, std::nullopt};
  }

  // Delivers Qt's window events, then the reports they posted on the main sequence (no time passes).
  void settle() {
    for (int i = 0; i < 4; ++i) {
      QCoreApplication::processEvents();
      ex.runPending();
    }
  }

  bool loopRuns(MantikSampleKind kind) const {
    for (auto k : store->runningLoops()) {
      if (k == kind) return true;
    }
    return false;
  }

  ManualExecutor ex;
  ArayuzFixedWidthMeasurer measurer;
  std::shared_ptr<AppSettings> settings;
  std::unique_ptr<Store> store;
  std::shared_ptr<ArayuzDashboardModel> dashboard;
  std::shared_ptr<ArayuzDetailModel> detail;
  std::unique_ptr<ArayuzMenuBarLabelModel> label;
  ArayuzNavigation navigation;
};

}  // namespace kovra::ui::testing
