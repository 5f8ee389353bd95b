#pragma once
// Start-up outside the dump: the object graph every front end shows, built in a fixed order on the
// main sequence. The front end supplies the main sequence, the text measurer and the notifier,
// then builds its windows on top of this.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/executor.h"
#include "core/sampler_set.h"
#include "logic/app_settings.h"
#include "logic/notifying.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "present/menu_bar_label_model.h"
#include "present/navigation.h"
#include "present/overrides.h"
#include "present/surface_handler.h"
#include "present/text_measurer.h"
#include "store/store.h"

namespace kovra {

// Logs the open override and, when it names a card, opens that card's page.
void applyOpenOverride(std::optional<ArayuzOpenOverride::Target> target, ArayuzNavigation& navigation);

struct KovraAppParts {
  Executor& executor;
  const ArayuzTextMeasurer& measurer;
  SamplerSet samplers;
  std::shared_ptr<SettingsContract> settings;
  std::shared_ptr<MantikNotifying> notifier;
  MantikClock clock;
  // Null: one worker thread per sample kind.
  std::shared_ptr<SampleQueueFactory> sampleQueues;
};

class KovraApp {
 public:
  // Seconds between a quit request and the one re-read of the process list.
  static constexpr double terminateRefreshDelay = 1.0;

  // Logs the overrides, fills the navigation, creates the store (started unless this is a test
  // or preview run), the dashboard, detail and label models, and wires the label's tick to the
  // other two (held weakly). The label's timer starts unless this is a test run.
  explicit KovraApp(KovraAppParts parts);
  // The same, with the parts built only after the overrides were logged (the live start-up order:
  // overrides, sampler set, settings, notifier, store).
  explicit KovraApp(const std::function<KovraAppParts()>& makeParts);
  KovraApp(const KovraApp&) = delete;
  KovraApp& operator=(const KovraApp&) = delete;

  ArayuzNavigation& navigation() { return navigation_; }
  Store& store() { return *store_; }
  ArayuzMenuBarLabelModel& label() { return *label_; }
  const std::shared_ptr<ArayuzDashboardModel>& dashboard() { return dashboard_; }
  const std::shared_ptr<ArayuzDetailModel>& detail() { return detail_; }

  // The standard settings: the defaults file and the autostart entry of this user.
  static std::shared_ptr<SettingsContract> standardSettings();

 private:
  static void logOverrides(ArayuzNavigation& navigation);
  void build(KovraAppParts parts);

  ArayuzNavigation navigation_;
  std::unique_ptr<Store> store_;
  std::shared_ptr<ArayuzDashboardModel> dashboard_;
  std::shared_ptr<ArayuzDetailModel> detail_;
  std::unique_ptr<ArayuzMenuBarLabelModel> label_;
};

}  // namespace kovra
