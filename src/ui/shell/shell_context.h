#pragma once
// What the windows of the program share: the store, the settings, the models and the main
// sequence, plus the run's switches. Everything referenced lives longer than any window.

#include <optional>

#include "core/executor.h"
#include "logic/app_settings.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "present/menu_bar_label_model.h"
#include "present/navigation.h"
#include "present/overrides.h"
#include "store/store.h"

namespace kovra::ui {

class QtTextMeasurer;

struct ShellContext {
  Store& store;
  SettingsContract& settings;
  ArayuzDashboardModel& dashboard;
  ArayuzDetailModel& detail;
  ArayuzNavigation& navigation;
  ArayuzMenuBarLabelModel& label;
  Executor& executor;
  // Surfaces tell the store and the dashboard model of their visibility (off under tests).
  bool tellsOthers = true;
  bool forceVisible = false;
  std::optional<ArayuzOpenOverride::Target> openTarget;
  // The fonts the label was laid out with, for drawing its picture (none: no picture).
  const QtTextMeasurer* labelMeasurer = nullptr;
};

}  // namespace kovra::ui
