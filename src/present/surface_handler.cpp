#include "present/surface_handler.h"

#include "core/log.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "present/navigation.h"
#include "store/store.h"

namespace kovra {

ArayuzSurfaceHandler::ArayuzSurfaceHandler(Surface surface, Executor& executor, Targets targets, bool tellsOthers)
    : surface_(surface), executor_(executor), targets_(targets), tellsOthers_(tellsOthers) {}

ArayuzSurfaceHandler::~ArayuzSurfaceHandler() {
  if (pendingHide_) executor_.cancel(*pendingHide_);
}

void ArayuzSurfaceHandler::onChange(bool visible) {
  if (pendingHide_) {
    executor_.cancel(*pendingHide_);
    pendingHide_.reset();
  }
  std::weak_ptr<int> alive = alive_;
  if (visible) {
    isOnScreen_.set(true);
  } else {
    pendingHide_ = executor_.postAfter(kHideDelay, 0, [this, alive] {
      if (alive.expired()) return;
      pendingHide_.reset();
      isOnScreen_.set(false);
      if (surface_ == Surface::mainWindow) Log::ui.log("ana pencere görünür: false (zamanlayıcı: içerik kaldırıldı)");
    });
  }
  if (!tellsOthers_) return;

  targets_.store.setVisible(surface_, visible);
  targets_.dashboard.setVisible(surface_, visible);
  if (surface_ == Surface::mainWindow) {
    if (!visible) {
      targets_.store.setVisible(Surface::networkDetail, false);
    } else if (targets_.navigation && targets_.navigation->showsNetworkDetail()) {
      targets_.store.setVisible(Surface::networkDetail, true);
    }
  }
  if (visible) {
    targets_.store.refreshNow([this, alive] {
      if (alive.expired()) return;
      targets_.dashboard.refresh();
      if (surface_ == Surface::mainWindow && targets_.detail) targets_.detail->refresh();
    });
  }
}

std::function<void()> makeModelTick(std::weak_ptr<ArayuzDashboardModel> dashboard,
                                    std::weak_ptr<ArayuzDetailModel> detail) {
  return [dashboard = std::move(dashboard), detail = std::move(detail)] {
    if (auto d = dashboard.lock(); d && !d->visibleSurfaces().empty()) d->refresh();
    if (auto m = detail.lock(); m && m->activeDetail()) m->refresh();
  };
}

}  // namespace kovra
