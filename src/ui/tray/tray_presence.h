#pragma once
// The program's presence in the panel. On a desktop with a status notifier watcher it registers
// its own StatusNotifierItem (with a menu and the label as text beside the icon) and registers
// again whenever the watcher comes back (a panel restart) or drops the item. Without a watcher
// it falls back to a plain system tray icon. Nothing here blocks: at login the panel may start
// after the program, so the search for a tray goes on for the whole run, and only when none has
// shown up within a grace period is the program told there is none (it then opens its window).

#include <QDBusConnection>
#include <QObject>
#include <QTemporaryDir>
#include <QPoint>
#include <QPointer>

#include <memory>
#include <optional>

#include "logic/observable.h"
#include "present/tray_label_text.h"
#include "ui/tray/tray_icon.h"

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace kovra {
class ArayuzMenuBarLabelModel;
class Executor;
class Store;
}  // namespace kovra

namespace kovra::ui {

class DBusMenu;
class StatusNotifierItem;
class XEmbedTrayWatch;

class TrayPresence : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
  static constexpr const char* watcherPath = "/StatusNotifierWatcher";
  static constexpr const char* menuPath = "/MenuBar";

  enum class Mode { none, statusNotifier, systemTray };

  // How long start-up waits for a tray before the program is told there is none.
  static constexpr double kGraceSeconds = 6.0;
  // How long a watcher may take to answer a registration.
  static constexpr int kRegisterTimeoutMs = 3000;

  // On the session bus. `label`, `store` and `executor` must outlive this object.
  TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, Executor& executor, QObject* parent = nullptr);
  // On the given bus (tests use a private one).
  TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, Executor& executor, const QDBusConnection& bus,
               QObject* parent = nullptr);
  ~TrayPresence() override;

  // Puts the item on the bus and starts looking for a tray, without waiting for anyone. A tray
  // found later announces itself through `found`; none within kGraceSeconds, through
  // `unavailable`. A second call does nothing.
  void start();
  // Moves the item to another connection to the same bus (after the old one was lost).
  void rebind(const QDBusConnection& bus);
  // Takes the item off the bus and hides the fallback icon (on quit).
  void withdraw();

  Mode mode() const { return mode_; }
  // The item's bus name, "org.kde.StatusNotifierItem-<pid>-<n>"; empty before start().
  const QString& serviceName() const { return serviceName_; }
  const ArayuzTrayLabel& trayLabel() const { return trayLabel_; }
  const TrayIconContent& iconContent() const { return iconContent_; }
  const StatusNotifierItem& item() const { return *item_; }
  QMenu* contextMenu() const { return contextMenu_.get(); }
  // Registrations the watcher accepted so far.
  int registrations() const { return registrations_; }
  // The folder holding the current picture under the item's icon name, for hosts that only load
  // icons by name; empty when none could be made.
  QString iconThemePath() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void activated(QPoint globalPos);  // toggle the menu panel
  void secondaryActivated();         // open the main window
  void openWindowRequested();
  void settingsRequested();
  void quitRequested();
  // A tray took the item (first time, or again after `unavailable`).
  void found();
  // No tray within the grace period after start(), or the tray went and no fallback is left.
  void unavailable();

 private:
  void refreshLabel();
  void refreshIcon();
  void exportItem();
  void unexportItem();
  void watchWatcher();
  void askForWatcher();
  void registerWithWatcher();
  void watcherOwnerChanged(const QString& newOwner);
  void setMode(Mode mode);
  void graceEnded();
  void xembedTrayAppeared();
  bool showFallback();
  void hideFallback();
  void showContextMenu(QPoint globalPos);
  void menuTriggered(int id);
  QString toolTipText() const;
  QString writeIconFile(const TrayIconContent& content, const QImage& image);

 private slots:
  void itemUnregistered(const QString& service);

 private:

  ArayuzMenuBarLabelModel& label_;
  Store& store_;
  Executor& executor_;
  QDBusConnection bus_;
  StatusNotifierItem* item_;
  DBusMenu* menu_;
  std::unique_ptr<QMenu> contextMenu_;
  QPointer<QSystemTrayIcon> fallback_;
  QDBusServiceWatcher* watcher_ = nullptr;
  XEmbedTrayWatch* xembed_ = nullptr;
  QString serviceName_;
  bool started_ = false;
  bool exported_ = false;
  // Told the program there is no tray; the next tray found is announced with `found`.
  bool toldUnavailable_ = false;
  bool graceOver_ = false;
  std::optional<uint64_t> graceTask_;
  std::optional<uint64_t> retryTask_;
  Mode mode_ = Mode::none;
  int registrations_ = 0;
  // A registration in flight: replies to older ones are ignored.
  int registerAttempt_ = 0;
  std::unique_ptr<QTemporaryDir> iconDir_;
  QString iconFile_;
  ArayuzTrayLabel trayLabel_;
  TrayIconContent iconContent_;
  TrayIconPictures iconPictures_;
  bool iconDrawn_ = false;
  ObservationToken renderedToken_;
  ObservationToken memoryToken_;
};

}  // namespace kovra::ui
