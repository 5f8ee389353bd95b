#include "ui/tray/tray_presence.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPalette>
#include <QMenu>
#include <QEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QSystemTrayIcon>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "core/log.h"
#include "present/menu_bar_label_model.h"
#include "core/executor.h"
#include "store/store.h"
#include "ui/common/symbols.h"
#include "ui/tray/dbus_menu.h"
#include "ui/tray/dbus_reply.h"
#include "ui/tray/status_notifier_item.h"
#include "ui/tray/xembed_tray_watch.h"

namespace kovra::ui {

namespace {

// The n of "org.kde.StatusNotifierItem-<pid>-<n>": one per item put on a bus in this process.
std::atomic<int> nextItemNumber{1};

std::string str(const QString& s) { return s.toStdString(); }

// Plasma hands programs the panel's colour scheme through the application palette; elsewhere the
// panel's colour is unknown and the icon keeps its light ink with a dark rim.
bool panelIsLight() {
  if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE"), Qt::CaseInsensitive)) return false;
  return QGuiApplication::palette().color(QPalette::Window).lightness() > 128;
}

}  // namespace

TrayPresence::TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, Executor& executor, QObject* parent)
    : TrayPresence(label, store, executor, QDBusConnection::sessionBus(), parent) {}

TrayPresence::TrayPresence(ArayuzMenuBarLabelModel& label, Store& store, Executor& executor,
                           const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      label_(label),
      store_(store),
      executor_(executor),
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

  // A change of colour scheme reaches every widget, the hidden menu included.
  contextMenu_->installEventFilter(this);
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

TrayPresence::~TrayPresence() {
  if (graceTask_) executor_.cancel(*graceTask_);
  if (retryTask_) executor_.cancel(*retryTask_);
  withdraw();
}

void TrayPresence::start() {
  if (started_) return;
  started_ = true;
  xembed_ = new XEmbedTrayWatch(this);
  connect(xembed_, &XEmbedTrayWatch::trayAppeared, this, &TrayPresence::xembedTrayAppeared);
  graceTask_ = executor_.postAfter(kGraceSeconds, kGraceSeconds / 10, [this] {
    graceTask_.reset();
    graceEnded();
  });

  if (!bus_.isConnected()) {
    Log::ui.error("Oturum D-Bus'ına bağlanılamadı (" + str(bus_.lastError().message()) +
                  "); tepsi öğesi yerine sistem tepsisi simgesi deneniyor.");
    showFallback();
    return;
  }
  exportItem();
  watchWatcher();
  askForWatcher();
}

void TrayPresence::rebind(const QDBusConnection& bus) {
  const bool wasExported = exported_;
  unexportItem();
  bus_ = bus;
  if (!started_ || !bus_.isConnected()) return;
  if (wasExported || mode_ != Mode::systemTray) {
    exportItem();
    watchWatcher();
    askForWatcher();
  }
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

void TrayPresence::unexportItem() {
  if (!exported_) return;
  exported_ = false;
  ++registerAttempt_;  // replies still on their way belong to the old connection
  delete watcher_;
  watcher_ = nullptr;
  if (bus_.isConnected()) {
    bus_.disconnect(QString::fromLatin1(watcherService), QString::fromLatin1(watcherPath),
                    QString::fromLatin1(watcherService), QStringLiteral("StatusNotifierItemUnregistered"), this,
                    SLOT(itemUnregistered(QString)));
    if (serviceName_ != bus_.baseService()) bus_.unregisterService(serviceName_);
    bus_.unregisterObject(QString::fromLatin1(StatusNotifierItem::objectPath));
    bus_.unregisterObject(QString::fromLatin1(menuPath));
  }
}

void TrayPresence::watchWatcher() {
  watcher_ = new QDBusServiceWatcher(QString::fromLatin1(watcherService), bus_,
                                     QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& newOwner) { watcherOwnerChanged(newOwner); });
  // Some watchers drop an item now and then (a race in one shell's extension); register again.
  bus_.connect(QString::fromLatin1(watcherService), QString::fromLatin1(watcherPath),
               QString::fromLatin1(watcherService), QStringLiteral("StatusNotifierItemUnregistered"), this,
               SLOT(itemUnregistered(QString)));
}

void TrayPresence::askForWatcher() {
  QDBusMessage query = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  query << QString::fromLatin1(watcherService);
  const int attempt = registerAttempt_;
  onDBusReply(bus_.asyncCall(query, kRegisterTimeoutMs), this, [this, attempt](const QDBusPendingCall& reply) {
    if (!exported_ || attempt != registerAttempt_) return;
    const QDBusMessage answer = reply.reply();
    const bool hasWatcher = answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
                            answer.arguments().constFirst().toBool();
    if (hasWatcher) {
      registerWithWatcher();
      return;
    }
    Log::ui.info("Durum bildirici izleyicisi yok; tepsi öğesi yerine sistem tepsisi simgesi deneniyor.");
    showFallback();
  });
}

void TrayPresence::registerWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
                                                     QString::fromLatin1(watcherPath), QString::fromLatin1(watcherService),
                                                     QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  const int attempt = ++registerAttempt_;
  onDBusReply(bus_.asyncCall(call, kRegisterTimeoutMs), this, [this, attempt](const QDBusPendingCall& reply) {
    if (!exported_ || attempt != registerAttempt_) return;  // withdrawn or asked again meanwhile
    if (reply.isError()) {
      Log::ui.error("Tepsi öğesi durum bildirici izleyicisine kaydedilemedi: " + str(reply.error().message()));
      if (mode_ != Mode::systemTray && !showFallback() && graceOver_ && !toldUnavailable_) {
        toldUnavailable_ = true;
        Q_EMIT unavailable();
      }
      return;
    }
    ++registrations_;
    if (registrations_ > 1) Log::ui.info("Tepsi öğesi durum bildirici izleyicisine yeniden kaydedildi.");
    hideFallback();
    setMode(Mode::statusNotifier);
  });
}

void TrayPresence::itemUnregistered(const QString& service) {
  // Watchers name an item by its bus name, or by bus name and object path ("name@/path").
  const QString name = service.section(QRegularExpression(QStringLiteral("[@/]")), 0, 0);
  if (!exported_ || (name != serviceName_ && name != bus_.baseService())) return;
  // One new registration at a time, at most one a second, so a watcher that keeps dropping the
  // item cannot keep the program busy.
  if (retryTask_) return;
  Log::ui.info("Durum bildirici izleyicisi tepsi öğesini düşürdü; yeniden kaydediliyor.");
  retryTask_ = executor_.postAfter(1.0, 0.1, [this] {
    retryTask_.reset();
    if (exported_) registerWithWatcher();
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

void TrayPresence::setMode(Mode mode) {
  const Mode before = mode_;
  mode_ = mode;
  if (before == Mode::none && mode != Mode::none && toldUnavailable_) {
    toldUnavailable_ = false;
    Log::ui.log("Sistem tepsisi bulundu; Kovra tepsiye yerleşti.");
    Q_EMIT found();
  }
}

void TrayPresence::graceEnded() {
  graceOver_ = true;
  if (mode_ != Mode::none || toldUnavailable_) return;
  toldUnavailable_ = true;
  Q_EMIT unavailable();
}

void TrayPresence::xembedTrayAppeared() {
  if (mode_ != Mode::none) return;
  Log::ui.info("Bir sistem tepsisi başladı; simge ona konuyor.");
  showFallback();
}

bool TrayPresence::eventFilter(QObject* watched, QEvent* event) {
  if (watched == contextMenu_.get() &&
      (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)) {
    refreshIcon();
  }
  return QObject::eventFilter(watched, event);
}

bool TrayPresence::showFallback() {
  if (fallback_) {
    setMode(Mode::systemTray);
    return true;
  }
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  fallback_ = new QSystemTrayIcon(this);
  refreshIcon();
  fallback_->setToolTip(toolTipText());
  fallback_->setContextMenu(contextMenu_.get());
  connect(fallback_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) Q_EMIT activated(QCursor::pos());
    if (reason == QSystemTrayIcon::MiddleClick) Q_EMIT secondaryActivated();
  });
  fallback_->show();
  setMode(Mode::systemTray);
  return true;
}

void TrayPresence::hideFallback() {
  if (!fallback_) return;
  fallback_->hide();
  fallback_->deleteLater();
  fallback_ = nullptr;
}

void TrayPresence::withdraw() {
  unexportItem();
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
  content.darkInk = panelIsLight();
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
  const std::vector<QImage>& images = iconPictures_.pictures(content);
  for (const QImage& image : images) {
    pixmaps.push_back(sniIconPixmap(image));
    if (fallback_) icon.addPixmap(QPixmap::fromImage(image));
  }
  const QString name = writeIconFile(content, images.back());
  item_->setIcon(std::move(pixmaps), name, name.isEmpty() ? QString() : iconDir_->path());
  if (fallback_) fallback_->setIcon(icon);
}

QString TrayPresence::iconThemePath() const { return iconDir_ && iconDir_->isValid() ? iconDir_->path() : QString(); }

// Hosts that load icons only by name (the Ayatana ones) find the picture as a file named after
// what it shows, so a host that caches by name never shows a stale one.
QString TrayPresence::writeIconFile(const TrayIconContent& content, const QImage& image) {
  if (!iconDir_) {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(base).isDir()) base = QDir::tempPath();
    iconDir_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/kovra-tray-XXXXXX"));
    if (!iconDir_->isValid()) Log::ui.error("Tepsi simgesi için klasör açılamadı: " + str(iconDir_->errorString()));
  }
  if (!iconDir_->isValid()) return {};
  QString name = content.memoryPercent ? QStringLiteral("kovra-gauge-%1").arg(*content.memoryPercent)
                                       : QStringLiteral("kovra-trace");
  if (content.darkInk) name += QStringLiteral("-dark");
  const QString file = iconDir_->filePath(name + QStringLiteral(".png"));
  if (!QFileInfo::exists(file) && !image.save(file, "PNG")) {
    Log::ui.error("Tepsi simgesi yazılamadı: " + str(file));
    return {};
  }
  return name;
}

}  // namespace kovra::ui
