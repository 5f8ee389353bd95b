#pragma once
// The user's choices, kept in the defaults database and observable one by one. Launch at
// login is not merely stored: it registers or unregisters the program with the login service.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/format.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/observable.h"

namespace kovra {

namespace SettingsKeys {
inline constexpr const char* launchAtLogin = "kovra.launchAtLogin";
inline constexpr const char* menuBarShowsNetwork = "kovra.menuBarShowsNetwork";
inline constexpr const char* menuBarShowsMemory = "kovra.menuBarShowsMemory";
inline constexpr const char* menuBarShowsTemperature = "kovra.menuBarShowsTemperature";
inline constexpr const char* rateUnit = "kovra.rateUnit";
inline constexpr const char* notificationsEnabled = "kovra.notificationsEnabled";
}  // namespace SettingsKeys

// What the store, the models and the settings form see of the settings. Each observe… call
// registers a callback that runs after that property changed (only on a real change), with the
// new value; dropping the token ends it.
class SettingsContract {
 public:
  virtual ~SettingsContract() = default;

  virtual bool launchAtLogin() const = 0;
  virtual void setLaunchAtLogin(bool value) = 0;
  virtual std::optional<std::string> launchAtLoginError() const = 0;
  virtual bool menuBarShowsNetwork() const = 0;
  virtual void setMenuBarShowsNetwork(bool value) = 0;
  virtual bool menuBarShowsMemory() const = 0;
  virtual void setMenuBarShowsMemory(bool value) = 0;
  virtual bool menuBarShowsTemperature() const = 0;
  virtual void setMenuBarShowsTemperature(bool value) = 0;
  virtual RateUnit rateUnit() const = 0;
  virtual void setRateUnit(RateUnit value) = 0;
  virtual bool notificationsEnabled() const = 0;
  virtual void setNotificationsEnabled(bool value) = 0;

  [[nodiscard]] virtual ObservationToken observeLaunchAtLogin(std::function<void(const bool&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeLaunchAtLoginError(
      std::function<void(const std::optional<std::string>&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeMenuBarShowsNetwork(std::function<void(const bool&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeMenuBarShowsMemory(std::function<void(const bool&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeMenuBarShowsTemperature(
      std::function<void(const bool&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeRateUnit(std::function<void(const RateUnit&)> observer) const = 0;
  [[nodiscard]] virtual ObservationToken observeNotificationsEnabled(std::function<void(const bool&)> observer) const = 0;
  // Why the choices made are not being saved, in words for the user; none while they are.
  virtual std::optional<std::string> saveError() const = 0;
  [[nodiscard]] virtual ObservationToken observeSaveError(
      std::function<void(const std::optional<std::string>&)> observer) const = 0;
  // Runs after any of the properties above changed.
  [[nodiscard]] ObservationToken observeAny(std::function<void()> observer) const;
};

class AppSettings final : public SettingsContract {
 public:
  // Reads every setting from `defaults`. Outside tests and previews launch at login comes from
  // `loginItem` (and is written back); under them the login service is never touched.
  AppSettings(std::shared_ptr<DefaultsDatabase> defaults, std::shared_ptr<LoginItemService> loginItem);

  bool launchAtLogin() const override { return storedLaunchAtLogin_.value(); }
  void setLaunchAtLogin(bool value) override;
  std::optional<std::string> launchAtLoginError() const override { return launchAtLoginError_.value(); }
  bool menuBarShowsNetwork() const override { return storedMenuBarShowsNetwork_.value(); }
  void setMenuBarShowsNetwork(bool value) override;
  bool menuBarShowsMemory() const override { return storedMenuBarShowsMemory_.value(); }
  void setMenuBarShowsMemory(bool value) override;
  bool menuBarShowsTemperature() const override { return storedMenuBarShowsTemperature_.value(); }
  void setMenuBarShowsTemperature(bool value) override;
  RateUnit rateUnit() const override { return storedRateUnit_.value(); }
  void setRateUnit(RateUnit value) override;
  bool notificationsEnabled() const override { return storedNotificationsEnabled_.value(); }
  void setNotificationsEnabled(bool value) override;

  ObservationToken observeLaunchAtLogin(std::function<void(const bool&)> observer) const override;
  ObservationToken observeLaunchAtLoginError(
      std::function<void(const std::optional<std::string>&)> observer) const override;
  ObservationToken observeMenuBarShowsNetwork(std::function<void(const bool&)> observer) const override;
  ObservationToken observeMenuBarShowsMemory(std::function<void(const bool&)> observer) const override;
  ObservationToken observeMenuBarShowsTemperature(std::function<void(const bool&)> observer) const override;
  ObservationToken observeRateUnit(std::function<void(const RateUnit&)> observer) const override;
  ObservationToken observeNotificationsEnabled(std::function<void(const bool&)> observer) const override;
  std::optional<std::string> saveError() const override { return saveError_.value(); }
  ObservationToken observeSaveError(std::function<void(const std::optional<std::string>&)> observer) const override;

  // The approval hint and the failure prefix shown under the launch-at-login toggle.
  static std::string approvalHint();
  static std::string failureText(const std::string& description);

 private:
  bool readBool(const char* key, bool fallback) const;
  // Stores one value and takes up what the database says about saving it.
  void store(const char* key, DefaultsValue value);

  std::shared_ptr<DefaultsDatabase> defaults_;
  std::shared_ptr<LoginItemService> loginItem_;
  Observable<bool> storedLaunchAtLogin_{false};
  Observable<std::optional<std::string>> launchAtLoginError_;
  Observable<bool> storedMenuBarShowsNetwork_{true};
  Observable<bool> storedMenuBarShowsMemory_{true};
  Observable<bool> storedMenuBarShowsTemperature_{false};
  Observable<RateUnit> storedRateUnit_{RateUnit::bytes};
  Observable<bool> storedNotificationsEnabled_{true};
  Observable<std::optional<std::string>> saveError_;
};

}  // namespace kovra
