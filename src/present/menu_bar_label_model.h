#pragma once
// The menu bar label: every 2 seconds it reads the store and the settings, and redraws its
// picture only when the texts changed. A figure it still shows as a dash is drawn as soon as its
// first reading arrives, without waiting for the next turn. It only reads; it never starts
// sampling itself.

#include <functional>
#include <memory>
#include <optional>

#include "core/executor.h"
#include "logic/observable.h"
#include "present/menu_bar_content.h"
#include "present/menu_bar_renderer.h"

namespace kovra {

class Store;

class ArayuzMenuBarLabelModel {
 public:
  static constexpr double kInterval = 2.0;
  static constexpr double kTolerance = 0.5;

  // Refreshes once at once. `store`, `executor` and `measurer` must outlive the model.
  ArayuzMenuBarLabelModel(const Store& store, Executor& executor, const ArayuzTextMeasurer& measurer);
  ~ArayuzMenuBarLabelModel();
  ArayuzMenuBarLabelModel(const ArayuzMenuBarLabelModel&) = delete;
  ArayuzMenuBarLabelModel& operator=(const ArayuzMenuBarLabelModel&) = delete;

  // Starts the repeating 2-second refresh on the main sequence; does nothing when started.
  void start();
  bool isStarted() const { return timer_.has_value(); }
  // Rebuilds texts, layout and picture when the texts changed; publishes nothing otherwise.
  void refresh();

  // Called after every timer refresh (the entry refreshes the dashboard and detail models here).
  std::function<void()> onTick;

  // The picture; absent while both label parts are switched off (the fallback symbol shows).
  const Observable<std::optional<ArayuzMenuBarRendered>>& rendered() const { return rendered_; }
  const std::optional<ArayuzMenuBarContent>& lastContent() const { return lastContent_; }
  const std::optional<ArayuzMenuBarLayout>& cachedLayout() const { return cachedLayout_; }

  static std::string accessibilityText(const ArayuzMenuBarContent& content) {
    return menuBarAccessibilityText(content);
  }

 private:
  ArayuzMenuBarContent makeContent() const;
  ArayuzMenuBarLayout resolvedLayout(const ArayuzMenuBarContent& content);
  void schedule();

  const Store& store_;
  Executor& executor_;
  const ArayuzTextMeasurer& measurer_;
  Observable<std::optional<ArayuzMenuBarRendered>> rendered_;
  std::optional<ArayuzMenuBarContent> lastContent_;
  std::optional<ArayuzMenuBarLayout> cachedLayout_;
  std::optional<Executor::TaskId> timer_;
  bool showsRates_ = false;  // the last refresh had a reading for that figure
  bool showsMemory_ = false;
  ObservationToken ratesToken_;
  ObservationToken memoryToken_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace kovra
