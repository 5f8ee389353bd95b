#pragma once
// What happens when the main window or the menu panel turns visible or hidden: the content shows
// at once or is dropped half a second after hiding, the store and the dashboard model are told,
// and a surface that appears gets an immediate set of readings and fresh models.

#include <functional>
#include <memory>
#include <optional>

#include "core/executor.h"
#include "logic/observable.h"
#include "store/sample_kind.h"

namespace kovra {

class Store;
class ArayuzDashboardModel;
class ArayuzDetailModel;
struct ArayuzNavigation;

class ArayuzSurfaceHandler {
 public:
  static constexpr double kHideDelay = 0.5;

  struct Targets {
    Store& store;
    ArayuzDashboardModel& dashboard;
    ArayuzDetailModel* detail = nullptr;              // main window only
    const ArayuzNavigation* navigation = nullptr;     // main window only
  };

  // `surface` is mainWindow or menuPanel. Under tests (`tellsOthers` false) only the content
  // flag follows the reports. Everything passed in must outlive the handler.
  ArayuzSurfaceHandler(Surface surface, Executor& executor, Targets targets, bool tellsOthers);
  ~ArayuzSurfaceHandler();
  ArayuzSurfaceHandler(const ArayuzSurfaceHandler&) = delete;
  ArayuzSurfaceHandler& operator=(const ArayuzSurfaceHandler&) = delete;

  // The tracking view's onChange.
  void onChange(bool visible);
  // While false the surface shows an empty, clear content.
  const Observable<bool>& isOnScreen() const { return isOnScreen_; }

 private:
  Surface surface_;
  Executor& executor_;
  Targets targets_;
  bool tellsOthers_;
  Observable<bool> isOnScreen_{false};
  std::optional<Executor::TaskId> pendingHide_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The label timer's tick: refreshes the dashboard while a surface shows it and the detail model
// while a page is active; costs nothing when nothing is shown. Holds both weakly.
std::function<void()> makeModelTick(std::weak_ptr<ArayuzDashboardModel> dashboard,
                                    std::weak_ptr<ArayuzDetailModel> detail);

}  // namespace kovra
