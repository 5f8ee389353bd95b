#include "ui/tray/tray_presence.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QPalette>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "core/log.h"
#include "present/menu_bar_label_model.h"
#include "store/store.h"
#include "ui/common/symbols.h"
#include "ui/tray/dbus_menu.h"
#include "ui/tray/dbus_reply.h"
#include "ui/tray/status_notifier_item.h"

namespace kovra::ui {

namespace {

// The n of "org.kde.StatusNotifierItem-<pid>-<n>": one per item put on a bus in this process.
std::atomic<int> nextItemNumber{1};

constexpr int kNameQueryTimeoutMs = 2000;

std::string str(const QString& s) { return s.toStdString(); }

}  // namespace

TrayPresence::TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, QObject* parent)
    : TrayPresence(label, store, QDBusConnection::sessionBus(), parent) {}

TrayPresence::TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      label_(label),
      store_(store),
      bus_(bus),
      item_(nullptr),
      menu_(new DBusMenu(this)),
      contextMenu_(std::make_unique<QMenu>()) {
  item_ = new StatusNotifierItem(QDBusObjectPath(QString::fromLatin1(menuPath)), this);
  for (const auto& entry : menu_->entries()) {
    const QColor tint = contextMenu_->palette().color(QPalette::Text);
    QAction* action = contextMenu_->addAction(symbolIcon(entry.symbol, tint), entry.label);
    const int id = entry.id;
    connect(action, &QAction::triggered, this, [this, id] { menu_->activate(id); });
  }
  connect(menu_, &DBusMenu::triggered, this, &TrayPresence::menuTriggered);
  connect(item_, &StatusNotifierItem::activateRequested, this, &TrayPresence::activated);
  connect(item_, &StatusNotifierItem::secondaryActivateRequested, this, [this] { Q_EMIT secondaryActivated(); });
  connect(item_, &StatusNotifierItem::contextMenuRequested, this, &TrayPresence::showContextMenu);

  refreshLabel();
  refreshIcon();
  renderedToken_ = label_.rendered().subscribe([this](const auto&) {
    refreshLabel();
    refreshIcon();
  });
  // Memory is read all the time; its readings also catch label changes the picture hides.
  memoryToken_ = store_.memoryProperty().subscribe([this](const auto&) {
    refreshIcon();
    refreshLabel();
  });
}

TrayPresence::~TrayPresence() { withdraw(); }

bool TrayPresence::start() {
  if (started_) return mode_ != Mode::none;
  started_ = true;

  if (!bus_.isConnected()) {
    Log::ui.error("Oturum D-Bus'ına bağlanılamadı (" + str(bus_.lastError().message()) +
                  "); tepsi öğesi yerine sistem tepsisi simgesi deneniyor.");
    return showFallback();
  }
  exportItem();

  watcher_ = new QDBusServiceWatcher(QString::fromLatin1(watcherService), bus_,
                                     QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& newOwner) { watcherOwnerChanged(newOwner); });

  // One short question to the bus daemon at start-up: is there a watcher now?
  QDBusMessage query = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  query << QString::fromLatin1(watcherService);
  QDBusMessage answer = bus_.call(query, QDBus::Block, kNameQueryTimeoutMs);
  const bool hasWatcher = answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
                          answer.arguments().constFirst().toBool();
  if (hasWatcher) {
    mode_ = Mode::statusNotifier;
    registerWithWatcher();
    return true;
  }
  Log::ui.info("Durum bildirici izleyicisi yok; tepsi öğesi yerine sistem tepsisi simgesi deneniyor.");
  return showFallback();
}

void TrayPresence::exportItem() {
  serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(nextItemNumber++);
  const bool objects = bus_.registerObject(QString::fromLatin1(StatusNotifierItem::objectPath), item_,
                                           QDBusConnection::ExportAdaptors) &&
                       bus_.registerObject(QString::fromLatin1(menuPath), menu_, QDBusConnection::ExportAdaptors);
  if (!objects) Log::ui.error("Tepsi öğesi D-Bus'a konamadı: nesne yolu kullanımda.");
  if (!bus_.registerService(serviceName_)) {
    Log::ui.error("Tepsi öğesinin adı alınamadı (" + str(serviceName_) + ": " +
                  str(bus_.lastError().message()) + "); bağlantının kendi adıyla kaydolunacak.");
    serviceName_ = bus_.baseService();
  }
  exported_ = true;
}

void TrayPresence::registerWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
                                                     QString::fromLatin1(watcherPath), QString::fromLatin1(watcherService),
                                                     QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  onDBusReply(bus_.asyncCall(call), this, [this](const QDBusPendingCall& reply) {
    if (!exported_) return;  // withdrawn meanwhile
    if (reply.isError()) {
      Log::ui.error("Tepsi öğesi durum bildirici izleyicisine kaydedilemedi: " + str(reply.error().message()));
      if (mode_ == Mode::statusNotifier && !showFallback()) Q_EMIT unavailable();
      return;
    }
    ++registrations_;
    if (registrations_ > 1) Log::ui.info("Tepsi öğesi durum bildirici izleyicisine yeniden kaydedildi.");
    mode_ = Mode::statusNotifier;
    hideFallback();
  });
}

void TrayPresence::watcherOwnerChanged(const QString& newOwner) {
  if (!exported_) return;
  if (newOwner.isEmpty()) {
    Log::ui.log("Durum bildirici izleyicisi kayboldu; geri geldiğinde tepsi öğesi yeniden kaydedilecek.");
    return;
  }
  registerWithWatcher();
}

bool TrayPresence::showFallback() {
  if (fallback_) {
    mode_ = Mode::systemTray;
    return true;
  }
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    mode_ = Mode::none;
    return false;
  }
  fallback_ = new QSystemTrayIcon(this);
  refreshIcon();
  fallback_->setToolTip(toolTipText());
  fallback_->setContextMenu(contextMenu_.get());
  connect(fallback_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) Q_EMIT activated(QCursor::pos());
    if (reason == QSystemTrayIcon::MiddleClick) Q_EMIT secondaryActivated();
  });
  fallback_->show();
  mode_ = Mode::systemTray;
  return true;
}

void TrayPresence::hideFallback() {
  if (!fallback_) return;
  fallback_->hide();
  fallback_->deleteLater();
  fallback_ = nullptr;
}

void TrayPresence::withdraw() {
  if (exported_) {
    exported_ = false;
    delete watcher_;
    watcher_ = nullptr;
    if (bus_.isConnected()) {
      if (serviceName_ != bus_.baseService()) bus_.unregisterService(serviceName_);
      bus_.unregisterObject(QString::fromLatin1(StatusNotifierItem::objectPath));
      bus_.unregisterObject(QString::fromLatin1(menuPath));
    }
  }
  hideFallback();
  if (contextMenu_) contextMenu_->hide();
  mode_ = Mode::none;
}

void TrayPresence::showContextMenu(QPoint globalPos) { contextMenu_->popup(globalPos); }

void TrayPresence::menuTriggered(int id) {
  switch (id) {
    case DBusMenu::openWindowId:
      Q_EMIT openWindowRequested();
      break;
    case DBusMenu::settingsId:
      Q_EMIT settingsRequested();
      break;
    case DBusMenu::quitId:
      Q_EMIT quitRequested();
      break;
    default:
      break;
  }
}

QString TrayPresence::toolTipText() const {
  const QString description = item_->toolTipDescription();
  return description.isEmpty() ? item_->title() : item_->title() + QLatin1Char('\n') + description;
}

void TrayPresence::refreshLabel() {
  ArayuzTrayLabel text = makeTrayLabel(label_.lastContent());
  if (text != trayLabel_) {
    trayLabel_ = std::move(text);
    item_->setLabel(QString::fromStdString(trayLabel_.label), QString::fromStdString(trayLabel_.guide));
  }
  const auto& rendered = label_.rendered().value();
  item_->setToolTipDescription(rendered ? QString::fromStdString(rendered->accessibilityText) : QString());
  if (fallback_) fallback_->setToolTip(toolTipText());
}

void TrayPresence::refreshIcon() {
  TrayIconContent content;
  const auto& memory = store_.memory();
  if (memory && label_.rendered().value()) {
    const double share = memory->usedFraction();
    if (std::isfinite(share)) content.memoryPercent = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * 100));
  }
  if (iconDrawn_ && content == iconContent_ && !(fallback_ && fallback_->icon().isNull())) return;
  iconContent_ = content;
  iconDrawn_ = true;
  SniIconPixmapList pixmaps;
  QIcon icon;
  for (const QImage& image : iconPictures_.pictures(content)) {
    pixmaps.push_back(sniIconPixmap(image));
    if (fallback_) icon.addPixmap(QPixmap::fromImage(image));
  }
  item_->setIcon(std::move(pixmaps));
  if (fallback_) fallback_->setIcon(icon);
}

}  // namespace kovra::ui
