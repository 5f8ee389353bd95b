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

  // Shows the tray item; with a start-up override, opens the main window at once, and without a
  // tray once the tray's grace period is over.
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
  // No tray holds the item: the main window is all there is of the program.
  bool withoutTray() const { return withoutTray_; }

 signals:
  void quitRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void startTray();

  ShellContext context_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::unique_ptr<MenuPanel> panel_;
  std::unique_ptr<SettingsWindow> settingsWindow_;
  std::unique_ptr<TrayPresence> tray_;
  bool withoutTray_ = false;
};

}  // namespace kovra::ui
