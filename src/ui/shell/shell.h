#pragma once
// The program's windows and how they reach each other: the main window, the menu panel, the
// settings window and the tray item. Quitting ends the event loop; the caller tears down.

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

#include "ui/shell/shell_context.h"

namespace kovra::ui {

class MainWindow;
class MenuPanel;
class SettingsWindow;
class TrayPresence;

class Shell final : public QObject {
  Q_OBJECT

 public:
  explicit Shell(ShellContext context, QObject* parent = nullptr);
  ~Shell() override;

  // Shows the tray item; without a tray, or with a start-up override, opens the main window.
  void start();
  // Takes the tray item off the bus and closes every window.
  void shutdown();

  void openMainWindow();
  void openCard(CardKind card);
  void openSettings();
  void togglePanel(QPoint globalPos);
  void quit();

  MainWindow* mainWindow() const { return mainWindow_.get(); }
  MenuPanel* panel() const { return panel_.get(); }
  SettingsWindow* settingsWindow() const { return settingsWindow_.get(); }
  TrayPresence* tray() const { return tray_.get(); }

 signals:
  void quitRequested();

 private:
  bool startTray();

  ShellContext context_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::unique_ptr<MenuPanel> panel_;
  std::unique_ptr<SettingsWindow> settingsWindow_;
  std::unique_ptr<TrayPresence> tray_;
};

}  // namespace kovra::ui
