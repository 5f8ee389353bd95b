#include "logic/app_settings.h"

#include "core/localize.h"
#include "core/log.h"
#include "core/runtime.h"

namespace kovra {

namespace {

bool underTestsOrPreviews() { return Runtime::isRunningTests() || Runtime::isPreview(); }

}  // namespace

ObservationToken SettingsContract::observeAny(std::function<void()> observer) const {
  auto shared = std::make_shared<std::function<void()>>(std::move(observer));
  auto call = [shared](const auto&) { (*shared)(); };
  std::vector<ObservationToken> tokens;
  tokens.push_back(observeLaunchAtLogin(call));
  tokens.push_back(observeLaunchAtLoginError(call));
  tokens.push_back(observeMenuBarShowsNetwork(call));
  tokens.push_back(observeMenuBarShowsMemory(call));
  tokens.push_back(observeMenuBarShowsTemperature(call));
  tokens.push_back(observeRateUnit(call));
  tokens.push_back(observeNotificationsEnabled(call));
  tokens.push_back(observeSaveError(call));
  return ObservationToken::combined(std::move(tokens));
}

AppSettings::AppSettings(std::shared_ptr<DefaultsDatabase> defaults, std::shared_ptr<LoginItemService> loginItem)
    : defaults_(std::move(defaults)), loginItem_(std::move(loginItem)) {
  storedMenuBarShowsNetwork_.set(readBool(SettingsKeys::menuBarShowsNetwork, true));
  storedMenuBarShowsMemory_.set(readBool(SettingsKeys::menuBarShowsMemory, true));
  storedMenuBarShowsTemperature_.set(readBool(SettingsKeys::menuBarShowsTemperature, false));
  storedRateUnit_.set(defaults_->stringValue(SettingsKeys::rateUnit) == "bits" ? RateUnit::bits : RateUnit::bytes);
  storedNotificationsEnabled_.set(readBool(SettingsKeys::notificationsEnabled, true));

  if (underTestsOrPreviews() || !loginItem_) {
    storedLaunchAtLogin_.set(defaults_->boolValue(SettingsKeys::launchAtLogin).value_or(false));
  } else {
    // The login service, not the stored key, is the authority in a live run.
    const LoginItemStatus status = loginItem_->status();
    const bool on = status == LoginItemStatus::enabled || status == LoginItemStatus::requiresApproval;
    storedLaunchAtLogin_.set(on);
    store(SettingsKeys::launchAtLogin, on);
  }
}

void AppSettings::store(const char* key, DefaultsValue value) {
  defaults_->set(key, std::move(value));
  saveError_.set(defaults_->saveProblem());
}

bool AppSettings::readBool(const char* key, bool fallback) const {
  return defaults_->boolValue(key).value_or(fallback);
}

std::string AppSettings::approvalHint() {
  return localized("Girişte başlatmak için Sistem Ayarları › Genel › Giriş Öğeleri bölümünden onay ver.",
                   "launch at login needs approval");
}

std::string AppSettings::failureText(const std::string& description) {
  return localized("Girişte başlatma ayarlanamadı: " + description, "launch at login failed");
}

void AppSettings::setLaunchAtLogin(bool value) {
  if (value == storedLaunchAtLogin_.value()) return;
  if (underTestsOrPreviews() || !loginItem_) {
    storedLaunchAtLogin_.set(value);
    launchAtLoginError_.set(std::nullopt);
    store(SettingsKeys::launchAtLogin, value);
    return;
  }
  Result<Unit, std::string> outcome = value ? loginItem_->registerItem() : loginItem_->unregisterItem();
  if (!outcome.ok()) {
    // The toggle springs back: the value and the key stay as they were.
    launchAtLoginError_.set(failureText(outcome.error()));
    Log::store.error("Girişte başlatma ayarlanamadı: " + outcome.error());
    return;
  }
  storedLaunchAtLogin_.set(value);
  store(SettingsKeys::launchAtLogin, value);
  if (value && loginItem_->status() == LoginItemStatus::requiresApproval) {
    launchAtLoginError_.set(approvalHint());
  } else {
    launchAtLoginError_.set(std::nullopt);
  }
}

void AppSettings::setMenuBarShowsNetwork(bool value) {
  storedMenuBarShowsNetwork_.set(value);
  store(SettingsKeys::menuBarShowsNetwork, value);
}

void AppSettings::setMenuBarShowsMemory(bool value) {
  storedMenuBarShowsMemory_.set(value);
  store(SettingsKeys::menuBarShowsMemory, value);
}

void AppSettings::setMenuBarShowsTemperature(bool value) {
  storedMenuBarShowsTemperature_.set(value);
  defaults_->set(SettingsKeys::menuBarShowsTemperature, value);
}

void AppSettings::setRateUnit(RateUnit value) {
  storedRateUnit_.set(value);
  store(SettingsKeys::rateUnit, std::string(rawValue(value)));
}

void AppSettings::setNotificationsEnabled(bool value) {
  storedNotificationsEnabled_.set(value);
  store(SettingsKeys::notificationsEnabled, value);
}

ObservationToken AppSettings::observeLaunchAtLogin(std::function<void(const bool&)> observer) const {
  return storedLaunchAtLogin_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeLaunchAtLoginError(
    std::function<void(const std::optional<std::string>&)> observer) const {
  return launchAtLoginError_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeMenuBarShowsNetwork(std::function<void(const bool&)> observer) const {
  return storedMenuBarShowsNetwork_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeMenuBarShowsMemory(std::function<void(const bool&)> observer) const {
  return storedMenuBarShowsMemory_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeMenuBarShowsTemperature(std::function<void(const bool&)> observer) const {
  return storedMenuBarShowsTemperature_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeRateUnit(std::function<void(const RateUnit&)> observer) const {
  return storedRateUnit_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeNotificationsEnabled(std::function<void(const bool&)> observer) const {
  return storedNotificationsEnabled_.subscribe(std::move(observer));
}
ObservationToken AppSettings::observeSaveError(std::function<void(const std::optional<std::string>&)> observer) const {
  return saveError_.subscribe(std::move(observer));
}

}  // namespace kovra
