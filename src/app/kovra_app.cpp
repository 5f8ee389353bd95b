#include "app/kovra_app.h"

#include "core/log.h"
#include "core/runtime.h"
#include "logic/json_defaults.h"
#include "logic/xdg_autostart.h"

namespace kovra {

void applyOpenOverride(std::optional<ArayuzOpenOverride::Target> target, ArayuzNavigation& navigation) {
  if (!target) return;
  auto name = ArayuzOpenOverride::rawValue(*target);
  Log::ui.log("KOVRA_OPEN etkin: " + std::string(name));
  if (auto card = cardKindFromRaw(name)) navigation.path.set({*card});
}

KovraApp::KovraApp(KovraAppParts parts) {
  logOverrides(navigation_);
  build(std::move(parts));
}

KovraApp::KovraApp(const std::function<KovraAppParts()>& makeParts) {
  logOverrides(navigation_);
  build(makeParts());
}

void KovraApp::logOverrides(ArayuzNavigation& navigation) {
  if (ArayuzVisibilityOverride::isForceVisible()) Log::ui.log("KOVRA_FORCE_VISIBLE etkin");
  applyOpenOverride(ArayuzOpenOverride::target(), navigation);
}

void KovraApp::build(KovraAppParts parts) {
  store_ = std::make_unique<Store>(std::move(parts.samplers), std::move(parts.settings), std::move(parts.notifier),
                                   std::move(parts.clock), terminateRefreshDelay,
                                   StoreEnvironment{parts.executor, std::move(parts.sampleQueues), std::nullopt});
  // The store itself declines to sample under tests and previews.
  store_->start();

  dashboard_ = std::make_shared<ArayuzDashboardModel>(*store_);
  detail_ = std::make_shared<ArayuzDetailModel>(*store_);
  label_ = std::make_unique<ArayuzMenuBarLabelModel>(*store_, parts.executor, parts.measurer);
  label_->onTick = makeModelTick(dashboard_, detail_);
  if (!Runtime::isRunningTests()) label_->start();
}

std::shared_ptr<SettingsContract> KovraApp::standardSettings() {
  auto loginItem = XdgAutostartLoginItem::standard();
  // A login entry left pointing at the program's old place is moved along with it.
  if (!Runtime::isRunningTests() && !Runtime::isPreview()) {
    auto refreshed = loginItem->refreshExec();
    if (!refreshed.ok()) Log::store.error("Girişte başlatma ayarlanamadı: " + refreshed.error());
    else if (*refreshed) Log::store.log("Girişte başlatma girdisi güncellendi: " + loginItem->userEntryPath());
  }
  return std::make_shared<AppSettings>(JsonFileDefaults::standard(), std::move(loginItem));
}

}  // namespace kovra
