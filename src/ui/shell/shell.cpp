#include "ui/shell/shell.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>

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
  mainWindow_->installEventFilter(this);
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
  startTray();
  if (context_.openTarget || context_.forceVisible) openMainWindow();
}

void Shell::startTray() {
  auto* tray = new TrayPresence(context_.label, context_.store, context_.executor);
  tray_.reset(tray);
  connect(tray, &TrayPresence::activated, this, &Shell::togglePanel);
  connect(tray, &TrayPresence::secondaryActivated, this, &Shell::openMainWindow);
  connect(tray, &TrayPresence::openWindowRequested, this, &Shell::openMainWindow);
  connect(tray, &TrayPresence::settingsRequested, this, &Shell::openSettings);
  connect(tray, &TrayPresence::quitRequested, this, &Shell::quit);
  // No tray showed up, or the tray went: never leave the program unreachable. Without a tray the
  // main window is the program, so closing it quits.
  connect(tray, &TrayPresence::unavailable, this, [this] {
    Log::ui.log("Sistem tepsisi bulunamadı; Kovra ana pencereyle açılıyor. Tepsi yokken pencereyi kapatmak "
                "Kovra'yı kapatır; yeniden başlatmak pencereyi açar.");
    withoutTray_ = true;
    openMainWindow();
  });
  connect(tray, &TrayPresence::found, this, [this] { withoutTray_ = false; });
  tray->start();
}

bool Shell::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mainWindow_.get() && event->type() == QEvent::Close && withoutTray_) {
    Log::ui.info("Tepsi yokken ana pencere kapatıldı; Kovra kapanıyor.");
    QMetaObject::invokeMethod(this, &Shell::quit, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
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
