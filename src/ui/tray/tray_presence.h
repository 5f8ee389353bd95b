#pragma once
// The program's presence in the panel. On a desktop with a status notifier watcher it registers
// its own StatusNotifierItem (with a menu and the label as text beside the icon) and registers
// again whenever the watcher comes back, as after a panel restart. Without a watcher it falls
// back to a plain system tray icon; with no tray at all start() says so and the caller shows
// the main window instead.

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

#include "logic/observable.h"
#include "present/tray_label_text.h"
#include "ui/tray/tray_icon.h"

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace kovra {
class ArayuzMenuBarLabelModel;
class Store;
}  // namespace kovra

namespace kovra::ui {

class DBusMenu;
class StatusNotifierItem;

class TrayPresence : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
  static constexpr const char* watcherPath = "/StatusNotifierWatcher";
  static constexpr const char* menuPath = "/MenuBar";

  enum class Mode { none, statusNotifier, systemTray };

  // On the session bus. `label` and `store` must outlive this object.
  TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, QObject* parent = nullptr);
  // On the given bus (tests use a private one).
  TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, const QDBusConnection& bus, QObject* parent = nullptr);
  ~TrayPresence() override;

  // Puts the item on the bus and registers it with the watcher, or shows the fallback icon.
  // False when there is no tray at all. A second call only reports.
  bool start();
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

 signals:
  void activated(QPoint globalPos);  // toggle the menu panel
  void secondaryActivated();         // open the main window
  void openWindowRequested();
  void settingsRequested();
  void quitRequested();
  // The tray went away after start() had found one and no fallback is left.
  void unavailable();

 private:
  void refreshLabel();
  void refreshIcon();
  void exportItem();
  void registerWithWatcher();
  void watcherOwnerChanged(const QString& newOwner);
  bool showFallback();
  void hideFallback();
  void showContextMenu(QPoint globalPos);
  void menuTriggered(int id);
  QString toolTipText() const;

  ArayuzMenuBarLabelModel& label_;
  Store& store_;
  QDBusConnection bus_;
  StatusNotifierItem* item_;
  DBusMenu* menu_;
  std::unique_ptr<QMenu> contextMenu_;
  QPointer<QSystemTrayIcon> fallback_;
  QDBusServiceWatcher* watcher_ = nullptr;
  QString serviceName_;
  bool started_ = false;
  bool exported_ = false;
  Mode mode_ = Mode::none;
  int registrations_ = 0;
  ArayuzTrayLabel trayLabel_;
  TrayIconContent iconContent_;
  TrayIconPictures iconPictures_;
  bool iconDrawn_ = false;
  ObservationToken renderedToken_;
  ObservationToken memoryToken_;
};

}  // namespace kovra::ui
