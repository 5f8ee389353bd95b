// The settings form writes every change through at once, and follows changes made elsewhere.

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "logic/defaults_database.h"
#include "logic/json_defaults.h"
#include "logic/login_item.h"
#include "support/temp_dir.h"
#include "ui/shell/settings_form.h"

namespace kovra::ui {
namespace {

class SettingsFormTest : public ::testing::Test {
 protected:
  SettingsFormTest() {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) savedConfigHome_ = old;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    settings = std::make_shared<AppSettings>(JsonFileDefaults::standard(), loginItem);
  }
  ~SettingsFormTest() override {
    if (savedConfigHome_) {
      ::setenv("XDG_CONFIG_HOME", savedConfigHome_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }

  nlohmann::json file() const {
    std::string text = kovra::testing::readFile(dir.at("kovra/settings.json"));
    if (text.empty()) return nlohmann::json::object();
    return nlohmann::json::parse(text);
  }

  kovra::testing::TempDir dir;
  std::optional<std::string> savedConfigHome_;
  std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
  std::shared_ptr<AppSettings> settings;
};

TEST_F(SettingsFormTest, ShowsTheStoredSettingsAndTheExactTexts) {
  SettingsForm form(*settings);
  EXPECT_EQ(form.launchAtLogin()->text(), "Girişte başlat");
  EXPECT_EQ(form.showsMemory()->text(), "Bellek kullanımını göster");
  EXPECT_EQ(form.showsNetwork()->text(), "Ağ hızını göster");
  EXPECT_EQ(form.showsTemperature()->text(), "Sıcaklığı göster");
  EXPECT_FALSE(form.showsTemperature()->isChecked());
  EXPECT_EQ(form.bytes()->text(), "MB/s (bayt)");
  EXPECT_EQ(form.bits()->text(), "Mbps (bit)");
  EXPECT_EQ(form.notifications()->text(), "Bildirim gönder");
  EXPECT_TRUE(form.showsMemory()->isChecked());
  EXPECT_TRUE(form.showsNetwork()->isChecked());
  EXPECT_TRUE(form.bytes()->isChecked());
  EXPECT_TRUE(form.notifications()->isChecked());
  EXPECT_FALSE(form.launchAtLogin()->isChecked());
  EXPECT_FALSE(form.loginErrorRow()->isVisibleTo(&form));

  SettingsWindow window(*settings);
  EXPECT_GE(window.minimumWidth(), 440);
  EXPECT_GE(window.minimumHeight(), 400);
  EXPECT_EQ(window.size(), QSize(460, 480));
}

TEST_F(SettingsFormTest, EveryToggleIsWrittenToTheSettingsFileAtOnce) {
  SettingsForm form(*settings);
  form.showsMemory()->click();
  EXPECT_EQ(file().value(SettingsKeys::menuBarShowsMemory, true), false);
  form.showsNetwork()->click();
  EXPECT_EQ(file().value(SettingsKeys::menuBarShowsNetwork, true), false);
  form.showsTemperature()->click();
  EXPECT_EQ(file().value(SettingsKeys::menuBarShowsTemperature, false), true);
  // Both off: either can still be turned back on.
  EXPECT_TRUE(form.showsMemory()->isEnabled());
  form.showsMemory()->click();
  EXPECT_EQ(file().value(SettingsKeys::menuBarShowsMemory, false), true);

  form.bits()->click();
  EXPECT_EQ(file().value(SettingsKeys::rateUnit, std::string()), "bits");
  EXPECT_EQ(settings->rateUnit(), RateUnit::bits);
  form.bytes()->click();
  EXPECT_EQ(file().value(SettingsKeys::rateUnit, std::string()), "bytes");

  form.notifications()->click();
  EXPECT_EQ(file().value(SettingsKeys::notificationsEnabled, true), false);

  // A second program reading the same file sees the choices.
  AppSettings reread(JsonFileDefaults::standard(), std::make_shared<FakeLoginItem>());
  EXPECT_FALSE(reread.notificationsEnabled());
  EXPECT_TRUE(reread.menuBarShowsMemory());
  EXPECT_FALSE(reread.menuBarShowsNetwork());
}

TEST_F(SettingsFormTest, ChangesMadeElsewhereShowInTheForm) {
  SettingsForm form(*settings);
  settings->setMenuBarShowsNetwork(false);
  settings->setRateUnit(RateUnit::bits);
  EXPECT_FALSE(form.showsNetwork()->isChecked());
  EXPECT_TRUE(form.bits()->isChecked());
  EXPECT_FALSE(form.bytes()->isChecked());
}

TEST_F(SettingsFormTest, ALinkPutInPlaceWhileRunningIsRefusedAlikeAndTheFormSaysSo) {
  namespace fs = std::filesystem;
  SettingsForm form(*settings);
  form.showsMemory()->click();  // the file exists from here on
  EXPECT_FALSE(form.saveErrorRow()->isVisibleTo(&form));
  const std::string path = dir.at("kovra/settings.json");
  const std::string json = dir.write("elsewhere.json", "{}");
  const std::string text = dir.write("notes.txt", "not settings\n");
  for (const std::string& target : {json, text}) {
    fs::remove(path);
    fs::create_symlink(target, path);
    form.notifications()->click();
    EXPECT_TRUE(form.saveErrorRow()->isVisibleTo(&form)) << target;
    EXPECT_TRUE(form.saveErrorText()->text().startsWith(QString::fromUtf8("Ayarlar kaydedilemedi: "))) << target;
    EXPECT_TRUE(fs::is_symlink(path)) << "neither followed nor moved aside: " << target;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.at("kovra")), fs::directory_iterator()), 1) << target;
  }
  EXPECT_EQ(kovra::testing::readFile(json), "{}");
  EXPECT_EQ(kovra::testing::readFile(text), "not settings\n");

  // The link gone, the next change saves everything still owed and the line goes away.
  fs::remove(path);
  form.bits()->click();
  EXPECT_FALSE(form.saveErrorRow()->isVisibleTo(&form));
  EXPECT_EQ(file().value(SettingsKeys::rateUnit, std::string()), "bits");
  EXPECT_EQ(file().value(SettingsKeys::notificationsEnabled, false), true);  // clicked twice
}

TEST_F(SettingsFormTest, LoginProblemLineAppearsOnlyWithAText) {
  // Only a live run asks the login service.
  const std::string marker = std::getenv("XCTestConfigurationFilePath");
  ::unsetenv("XCTestConfigurationFilePath");
  {
    auto login = std::make_shared<FakeLoginItem>();
    AppSettings live(std::make_shared<InMemoryDefaults>(), login);
    SettingsForm form(live);
    login->registerFailure = "izin yok";
    form.launchAtLogin()->click();
    ASSERT_TRUE(live.launchAtLoginError().has_value());
    EXPECT_TRUE(form.loginErrorRow()->isVisibleTo(&form));
    EXPECT_EQ(form.loginErrorText()->text().toStdString(), *live.launchAtLoginError());
    EXPECT_FALSE(form.launchAtLogin()->isChecked());  // the toggle springs back

    login->registerFailure.clear();
    form.launchAtLogin()->click();
    EXPECT_TRUE(form.launchAtLogin()->isChecked());
    EXPECT_EQ(form.loginErrorRow()->isVisibleTo(&form), live.launchAtLoginError().has_value());
  }
  ::setenv("XCTestConfigurationFilePath", marker.c_str(), 1);
}

}  // namespace
}  // namespace kovra::ui
