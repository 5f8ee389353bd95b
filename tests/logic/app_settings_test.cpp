#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/log.h"
#include "logic/app_settings.h"

namespace kovra {
namespace {

// Sets the test-run marker for one scope, or leaves it out so that the settings behave as in a
// live run (the login service is asked).
class RunMode {
 public:
  explicit RunMode(bool live) {
    if (const char* v = std::getenv(kMarker)) saved_ = v;
    if (live) ::unsetenv(kMarker);
    else ::setenv(kMarker, "kovra", 1);
  }
  ~RunMode() {
    if (saved_) ::setenv(kMarker, saved_->c_str(), 1);
    else ::unsetenv(kMarker);
  }
  RunMode(const RunMode&) = delete;
  RunMode& operator=(const RunMode&) = delete;

 private:
  static constexpr const char* kMarker = "XCTestConfigurationFilePath";
  std::optional<std::string> saved_;
};

struct Fixture {
  explicit Fixture(bool live = false) : mode(live) {}
  RunMode mode;
  std::shared_ptr<InMemoryDefaults> defaults = std::make_shared<InMemoryDefaults>();
  std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>();
  std::unique_ptr<AppSettings> make() { return std::make_unique<AppSettings>(defaults, login); }
};

TEST(AppSettings, FreshUserGetsDefaults) {
  Fixture f;
  auto s = f.make();
  EXPECT_TRUE(s->menuBarShowsNetwork());
  EXPECT_TRUE(s->menuBarShowsMemory());
  EXPECT_FALSE(s->menuBarShowsTemperature());
  EXPECT_EQ(s->rateUnit(), RateUnit::bytes);
  EXPECT_TRUE(s->notificationsEnabled());
  EXPECT_FALSE(s->launchAtLogin());
  EXPECT_FALSE(s->launchAtLoginError().has_value());
  // Under tests the login service is never touched, and reading writes nothing.
  EXPECT_EQ(f.login->statusCalls, 0);
  EXPECT_TRUE(f.defaults->writes().empty());
}

TEST(AppSettings, UnusableStoredValuesReadAsDefaults) {
  Fixture f;
  f.defaults->set(SettingsKeys::menuBarShowsMemory, std::string("false"));
  f.defaults->set(SettingsKeys::menuBarShowsNetwork, int64_t{0});
  f.defaults->set(SettingsKeys::notificationsEnabled, false);
  f.defaults->set(SettingsKeys::rateUnit, std::string("Bits"));
  f.defaults->set(SettingsKeys::launchAtLogin, true);
  auto s = f.make();
  EXPECT_TRUE(s->menuBarShowsMemory());
  EXPECT_TRUE(s->menuBarShowsNetwork());
  EXPECT_FALSE(s->notificationsEnabled());
  EXPECT_EQ(s->rateUnit(), RateUnit::bytes);
  EXPECT_TRUE(s->launchAtLogin());

  f.defaults->set(SettingsKeys::rateUnit, std::string("bits"));
  EXPECT_EQ(f.make()->rateUnit(), RateUnit::bits);
  f.defaults->set(SettingsKeys::rateUnit, true);
  EXPECT_EQ(f.make()->rateUnit(), RateUnit::bytes);
}

TEST(AppSettings, SettingAlwaysWritesButNotifiesOnlyOnChange) {
  Fixture f;
  auto s = f.make();
  int network = 0;
  int any = 0;
  std::vector<RateUnit> units;
  auto t1 = s->observeMenuBarShowsNetwork([&](bool) { ++network; });
  auto t2 = s->observeRateUnit([&](RateUnit u) { units.push_back(u); });
  auto t3 = s->observeAny([&] { ++any; });

  s->setMenuBarShowsNetwork(true);  // unchanged
  EXPECT_EQ(network, 0);
  EXPECT_EQ(f.defaults->writes(), std::vector<std::string>{SettingsKeys::menuBarShowsNetwork});
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::menuBarShowsNetwork), true);

  s->setMenuBarShowsNetwork(false);
  s->setRateUnit(RateUnit::bits);
  s->setRateUnit(RateUnit::bits);
  s->setNotificationsEnabled(false);
  s->setMenuBarShowsMemory(false);
  s->setMenuBarShowsTemperature(true);
  EXPECT_EQ(network, 1);
  EXPECT_EQ(units, std::vector<RateUnit>{RateUnit::bits});
  EXPECT_EQ(any, 5);
  EXPECT_EQ(f.defaults->stringValue(SettingsKeys::rateUnit), "bits");
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::notificationsEnabled), false);

  // A second instance on the same database sees what the first stored.
  auto again = f.make();
  EXPECT_FALSE(again->menuBarShowsNetwork());
  EXPECT_FALSE(again->menuBarShowsMemory());
  EXPECT_TRUE(again->menuBarShowsTemperature());
  EXPECT_EQ(again->rateUnit(), RateUnit::bits);
  EXPECT_FALSE(again->notificationsEnabled());
}

TEST(AppSettings, LaunchAtLoginUnderTestsOnlyStoresTheKey) {
  Fixture f;
  auto s = f.make();
  int changes = 0;
  auto t = s->observeLaunchAtLogin([&](bool) { ++changes; });
  s->setLaunchAtLogin(true);
  EXPECT_TRUE(s->launchAtLogin());
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::launchAtLogin), true);
  EXPECT_EQ(f.login->registerCalls, 0);
  EXPECT_EQ(f.login->statusCalls, 0);
  s->setLaunchAtLogin(true);  // same value: nothing at all
  EXPECT_EQ(f.defaults->writes().size(), 1u);
  EXPECT_EQ(changes, 1);
}

TEST(AppSettings, LiveRunTakesLaunchAtLoginFromTheServiceAndWritesItBack) {
  Fixture f(/*live=*/true);
  f.defaults->set(SettingsKeys::launchAtLogin, false);
  f.login->currentStatus = LoginItemStatus::requiresApproval;
  EXPECT_TRUE(f.make()->launchAtLogin());
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::launchAtLogin), true);

  f.login->currentStatus = LoginItemStatus::notFound;
  EXPECT_FALSE(f.make()->launchAtLogin());
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::launchAtLogin), false);
}

TEST(AppSettings, ApprovalHintShownWhileWaitingAndClearedWhenTurnedOff) {
  Fixture f(/*live=*/true);
  f.login->statusAfterRegister = LoginItemStatus::requiresApproval;
  auto s = f.make();
  s->setLaunchAtLogin(true);
  EXPECT_EQ(f.login->registerCalls, 1);
  EXPECT_TRUE(s->launchAtLogin());
  EXPECT_EQ(s->launchAtLoginError(),
            "Girişte başlatmak için Sistem Ayarları › Genel › Giriş Öğeleri bölümünden onay ver.");
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::launchAtLogin), true);

  s->setLaunchAtLogin(false);
  EXPECT_EQ(f.login->unregisterCalls, 1);
  EXPECT_FALSE(s->launchAtLogin());
  EXPECT_FALSE(s->launchAtLoginError().has_value());
  EXPECT_EQ(f.defaults->boolValue(SettingsKeys::launchAtLogin), false);
}

TEST(AppSettings, FailedRegistrationSpringsBackAndExplainsItself) {
  LogCapture logs;
  Fixture f(/*live=*/true);
  auto s = f.make();
  const size_t writesBefore = f.defaults->writes().size();
  std::vector<bool> seen;
  auto t = s->observeLaunchAtLogin([&](bool v) { seen.push_back(v); });

  f.login->registerFailure = "open /home/u/.config/autostart/kovra.desktop.tmp-1: Permission denied";
  s->setLaunchAtLogin(true);
  EXPECT_FALSE(s->launchAtLogin());
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(s->launchAtLoginError(),
            "Girişte başlatma ayarlanamadı: open /home/u/.config/autostart/kovra.desktop.tmp-1: Permission denied");
  EXPECT_EQ(f.defaults->writes().size(), writesBefore);
  EXPECT_EQ(logs.count("Girişte başlatma ayarlanamadı: open /home/u/.config/autostart/kovra.desktop.tmp-1: "
                       "Permission denied"),
            1u);

  // Asking again for the value it already has changes nothing, the explanation stays.
  s->setLaunchAtLogin(false);
  EXPECT_EQ(f.login->unregisterCalls, 0);
  EXPECT_TRUE(s->launchAtLoginError().has_value());

  // The next successful change clears it.
  f.login->registerFailure.clear();
  s->setLaunchAtLogin(true);
  EXPECT_TRUE(s->launchAtLogin());
  EXPECT_FALSE(s->launchAtLoginError().has_value());
}

}  // namespace
}  // namespace kovra
