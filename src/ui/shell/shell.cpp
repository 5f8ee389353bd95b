#include "ui/shell/shell.h"

#include <QApplication>
#include <QCursor>

#include "core/log.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menu_panel.h"
#include "ui/shell/settings_form.h"
#include "ui/tray/tray_presence.h"

namespace kovra::ui {

Shell::Shell(ShellContext context, QObject* parent) : QObject(parent), context_(context) {
  // The program lives on in the tray when its last window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  PanelActions actions{
      [this](CardKind card) { openCard(card); },
      [this] { openMainWindow(); },
      [this] { openSettings(); },
      [this] { quit(); },
  };
  mainWindow_ = std::make_unique<MainWindow>(context_, actions);
  // Choosing something in the panel closes it, as a menu would.
  PanelActions fromPanel{
      [this](CardKind card) {
        panel_->hide();
        openCard(card);
      },
      [this] {
        panel_->hide();
        openMainWindow();
      },
      [this] {
        panel_->hide();
        openSettings();
      },
      [this] { quit(); },
  };
  panel_ = std::make_unique<MenuPanel>(context_, fromPanel);
}

Shell::~Shell() { shutdown(); }

void Shell::start() {
  const bool hasTray = startTray();
  if (!hasTray) {
    Log::ui.log("Sistem tepsisi bulunamadı; Kovra ana pencereyle açılıyor.");
  }
  if (!hasTray || context_.openTarget || context_.forceVisible) openMainWindow();
}

bool Shell::startTray() {
  auto* tray = new TrayPresence(context_.label, context_.store);
  tray_.reset(tray);
  connect(tray, &TrayPresence::activated, this, &Shell::togglePanel);
  connect(tray, &TrayPresence::secondaryActivated, this, &Shell::openMainWindow);
  connect(tray, &TrayPresence::openWindowRequested, this, &Shell::openMainWindow);
  connect(tray, &TrayPresence::settingsRequested, this, &Shell::openSettings);
  connect(tray, &TrayPresence::quitRequested, this, &Shell::quit);
  // The panel restarted without a tray, or the tray went: never leave the program unreachable.
  connect(tray, &TrayPresence::unavailable, this, [this] {
    Log::ui.log("Sistem tepsisi kayboldu; Kovra ana pencereyle açılıyor.");
    openMainWindow();
  });
  return tray->start();
}

void Shell::shutdown() {
  if (tray_) tray_->withdraw();
  tray_.reset();
  if (panel_) panel_->hide();
  if (settingsWindow_) settingsWindow_->hide();
  if (mainWindow_) mainWindow_->hide();
}

void Shell::openMainWindow() { mainWindow_->bringForward(); }

void Shell::openCard(CardKind card) {
  context_.navigation.open(card);
  openMainWindow();
}

void Shell::openSettings() {
  if (!settingsWindow_) settingsWindow_ = std::make_unique<SettingsWindow>(context_.settings);
  settingsWindow_->bringForward();
}

void Shell::togglePanel(QPoint globalPos) {
  // Some panels send no position: open where the pointer is.
  panel_->toggleAt(globalPos.isNull() ? QCursor::pos() : globalPos);
}

void Shell::quit() {
  Q_EMIT quitRequested();
  QCoreApplication::quit();
}

}  // namespace kovra::ui
