#pragma once
// The settings form: four titled sections bound both ways to the five settings. Every change
// applies at once; the settings object writes it through, and a line above the sections says
// when that fails.

#include <QWidget>

#include <vector>

#include "logic/app_settings.h"

class QCheckBox;
class QLabel;
class QRadioButton;

namespace kovra::ui {

class SettingsForm final : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsForm(SettingsContract& settings, QWidget* parent = nullptr);
  ~SettingsForm() override;

  QCheckBox* launchAtLogin() const { return launchAtLogin_; }
  QCheckBox* showsMemory() const { return showsMemory_; }
  QCheckBox* showsTemperature() const { return showsTemperature_; }
  QCheckBox* showsNetwork() const { return showsNetwork_; }
  QRadioButton* bytes() const { return bytes_; }
  QRadioButton* bits() const { return bits_; }
  QCheckBox* notifications() const { return notifications_; }
  // The launch-at-login problem line; hidden (not blank) when there is none.
  QWidget* loginErrorRow() const { return loginErrorRow_; }
  QLabel* loginErrorText() const { return loginErrorText_; }
  // The line saying that changes are not being saved; hidden while they are.
  QWidget* saveErrorRow() const { return saveErrorRow_; }
  QLabel* saveErrorText() const { return saveErrorText_; }

 private:
  void load();
  QWidget* makeProblemRow(QLabel*& textLabel);
  static void showProblem(QWidget* row, QLabel* textLabel, const std::optional<std::string>& problem);

  SettingsContract& settings_;
  QCheckBox* launchAtLogin_;
  QWidget* loginErrorRow_;
  QLabel* loginErrorText_;
  QWidget* saveErrorRow_;
  QLabel* saveErrorText_;
  QCheckBox* showsMemory_;
  QCheckBox* showsTemperature_;
  QCheckBox* showsNetwork_;
  QRadioButton* bytes_;
  QRadioButton* bits_;
  QCheckBox* notifications_;
  std::vector<ObservationToken> tokens_;
};

// The settings scene's window.
class SettingsWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsWindow(SettingsContract& settings, QWidget* parent = nullptr);
  SettingsForm* form() const { return form_; }
  void bringForward();

 private:
  SettingsForm* form_;
};

}  // namespace kovra::ui
