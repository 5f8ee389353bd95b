#include "ui/tray/tray_presence.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMetaType>
#include <QFileInfo>
#include <QImage>
#include <QMenu>

#include <gtest/gtest.h>

#include "core/log.h"
#include "present/menu_bar_label_model.h"
#include "present/store_fixture.h"
#include "private_bus.h"
#include "ui/tray/dbus_menu.h"
#include "ui/tray/session_bus.h"
#include "ui/tray/status_notifier_item.h"

namespace kovra::ui {
namespace {

using testing::callAndWait;
using testing::spinUntil;

// The panel's side: a status notifier watcher that records who registered.
class TestWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

 public:
  struct Registration {
    QString service;  // as given
    QString sender;   // the caller's unique name
  };
  std::vector<Registration> registrations;

 public slots:
  void RegisterStatusNotifierItem(const QString& service) { registrations.push_back({service, message().service()}); }
};

// Receives the item's signals on the panel's connection.
class SignalSink : public QObject {
  Q_OBJECT

 public:
  QStringList labels;
  QStringList guides;
  int newIcons = 0;
  int newToolTips = 0;

 public slots:
  void onLabel(const QString& label, const QString& guide) {
    labels.push_back(label);
    guides.push_back(guide);
  }
  void onNewIcon() { ++newIcons; }
  void onNewToolTip() { ++newToolTips; }
};

int connectionNumber = 0;
QString nextName(const char* role) { return QStringLiteral("%1-%2").arg(QLatin1String(role)).arg(++connectionNumber); }

class TrayPresenceTest : public kovra::testing::StoreFixture {
 protected:
  TrayPresenceTest() { registerTrayDBusTypes(); }

  void SetUp() override {
    ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start";
    itemBus = bus.connect(nextName("item"));
    panelBus = bus.connect(nextName("panel"));
    ASSERT_TRUE(itemBus.isConnected());
    ASSERT_TRUE(panelBus.isConnected());
  }

  void startWatcher() {
    ASSERT_TRUE(panelBus.registerObject(QString::fromLatin1(TrayPresence::watcherPath), &watcher,
                                        QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(panelBus.registerService(QString::fromLatin1(TrayPresence::watcherService)));
  }

  QDBusMessage itemCall(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& args = {}) {
    auto call = QDBusMessage::createMethodCall(presence->serviceName(), path, interface, method);
    call.setArguments(args);
    return callAndWait(panelBus, call);
  }
  QVariantMap getAll(const QString& path, const QString& interface) {
    auto reply = itemCall(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"),
                          {interface});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    if (reply.arguments().isEmpty()) return {};
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
  }
  // The introspection data panels read the signatures from.
  QString introspect(const QString& path) {
    return itemCall(path, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"))
        .arguments()
        .value(0)
        .toString();
  }
  QVariant property(const QString& name) {
    auto reply = itemCall(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
                          QStringLiteral("Get"), {QStringLiteral("org.kde.StatusNotifierItem"), name});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst().value<QDBusVariant>().variant();
  }

  void makePresence() {
    label = std::make_unique<ArayuzMenuBarLabelModel>(*store, executor, measurer);
    presence = std::make_unique<TrayPresence>(*label, *store, executor, itemBus);
  }
  void startAndRegister() {
    presence->start();
    ASSERT_TRUE(spinUntil([&] { return presence->mode() == TrayPresence::Mode::statusNotifier; }));
  }

  testing::PrivateBus bus;
  QDBusConnection itemBus{QString()};
  QDBusConnection panelBus{QString()};
  TestWatcher watcher;
  ArayuzFixedWidthMeasurer measurer{13, 0.6};
  std::unique_ptr<ArayuzMenuBarLabelModel> label;
  std::unique_ptr<TrayPresence> presence;
};

TEST_F(TrayPresenceTest, RegistersWithTheWatcherAndAgainWhenTheWatcherComesBack) {
  startWatcher();
  makePresence();
  startAndRegister();
  EXPECT_TRUE(presence->serviceName().startsWith(QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(getpid())));
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() == 1; }));
  EXPECT_EQ(watcher.registrations[0].service, presence->serviceName());
  EXPECT_EQ(watcher.registrations[0].sender, itemBus.baseService()) << "registered from the item's own connection";
  EXPECT_TRUE(spinUntil([&] { return presence->registrations() == 1; }));

  // The panel restarts: its watcher leaves the bus and a new one takes the name.
  LogCapture log;
  ASSERT_TRUE(panelBus.unregisterService(QString::fromLatin1(TrayPresence::watcherService)));
  panelBus.unregisterObject(QString::fromLatin1(TrayPresence::watcherPath));
  TestWatcher second;
  QDBusConnection newPanel = bus.connect(nextName("panel"));
  ASSERT_TRUE(newPanel.registerObject(QString::fromLatin1(TrayPresence::watcherPath), &second,
                                      QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(newPanel.registerService(QString::fromLatin1(TrayPresence::watcherService)));
  ASSERT_TRUE(spinUntil([&] { return second.registrations.size() == 1; }));
  EXPECT_EQ(second.registrations[0].service, presence->serviceName());
  EXPECT_TRUE(spinUntil([&] { return presence->registrations() == 2; }));
  EXPECT_EQ(presence->mode(), TrayPresence::Mode::statusNotifier);
  EXPECT_EQ(watcher.registrations.size(), 1u);
  EXPECT_EQ(log.count("Durum bildirici izleyicisi kayboldu; geri geldiğinde tepsi öğesi yeniden kaydedilecek."), 1u);

  // Withdrawn on quit: the name leaves the bus.
  presence->withdraw();
  auto owner = newPanel.interface()->isServiceRegistered(presence->serviceName());
  EXPECT_FALSE(owner.value());
}

TEST_F(TrayPresenceTest, AnswersPropertiesAndServesItsMenu) {
  startWatcher();
  makePresence();
  startAndRegister();

  QVariantMap props = getAll(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"));
  EXPECT_EQ(props.value(QStringLiteral("Title")).toString(), QStringLiteral("Kovra"));
  EXPECT_EQ(props.value(QStringLiteral("Category")).toString(), QStringLiteral("SystemServices"));
  EXPECT_EQ(props.value(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
  EXPECT_FALSE(props.value(QStringLiteral("Id")).toString().isEmpty());
  EXPECT_EQ(props.value(QStringLiteral("ItemIsMenu")).toBool(), false);

  auto tip = qdbus_cast<SniToolTip>(props.value(QStringLiteral("ToolTip")));
  EXPECT_EQ(tip.title, QStringLiteral("Kovra"));
  EXPECT_EQ(tip.description, QStringLiteral("İndirme —, yükleme —, Bellek kullanımı —"));

  auto pixmaps = qdbus_cast<SniIconPixmapList>(props.value(QStringLiteral("IconPixmap")));
  ASSERT_GE(pixmaps.size(), 3);
  QList<int> sizes;
  for (const auto& p : pixmaps) {
    EXPECT_EQ(p.width, p.height);
    EXPECT_EQ(p.bytes.size(), 4 * p.width * p.height);
    sizes.push_back(p.width);
  }
  EXPECT_TRUE(sizes.contains(16) && sizes.contains(22) && sizes.contains(24));

  // Panels read the signatures from the introspection data.
  auto xml = introspect(QStringLiteral("/StatusNotifierItem"));
  EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"")))
      << xml.toStdString();
  EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"")));
  EXPECT_TRUE(xml.contains(QStringLiteral("<signal name=\"XAyatanaNewLabel\">")));

  const auto menuPath = qdbus_cast<QDBusObjectPath>(props.value(QStringLiteral("Menu"))).path();
  EXPECT_EQ(menuPath, QString::fromLatin1(TrayPresence::menuPath));
  auto layoutReply = itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"),
                              {0, -1, QStringList()});
  ASSERT_EQ(layoutReply.type(), QDBusMessage::ReplyMessage) << layoutReply.errorMessage().toStdString();
  ASSERT_EQ(layoutReply.arguments().size(), 2);
  auto layout = qdbus_cast<DBusMenuLayoutItem>(layoutReply.arguments().at(1));
  QStringList labels;
  for (const auto& child : layout.children) labels.push_back(child.properties.value(QStringLiteral("label")).toString());
  EXPECT_EQ(labels, (QStringList{QStringLiteral("Pencereyi aç"), QStringLiteral("Ayarlar…"), QStringLiteral("Çık")}));

  auto menuXml = introspect(menuPath);
  EXPECT_TRUE(menuXml.contains(QStringLiteral("<arg name=\"layout\" type=\"(ia{sv}av)\" direction=\"out\"/>")))
      << menuXml.toStdString();
  EXPECT_TRUE(menuXml.contains(QStringLiteral("<method name=\"EventGroup\">")));
  EXPECT_TRUE(menuXml.contains(QStringLiteral("<signal name=\"ItemsPropertiesUpdated\">")));

  QVariantMap menuProps = getAll(menuPath, QStringLiteral("com.canonical.dbusmenu"));
  EXPECT_EQ(menuProps.value(QStringLiteral("Version")).toUInt(), 3u);
  EXPECT_EQ(menuProps.value(QStringLiteral("Status")).toString(), QStringLiteral("normal"));

  auto group = itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetGroupProperties"),
                        {QVariant::fromValue(QList<int>{3, 99}), QStringList{QStringLiteral("label")}});
  auto items = qdbus_cast<DBusMenuItemList>(group.arguments().value(0));
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0].properties.value(QStringLiteral("label")).toString(), QStringLiteral("Çık"));
  auto unknown = itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetProperty"),
                          {42, QStringLiteral("label")});
  EXPECT_EQ(unknown.type(), QDBusMessage::ErrorMessage);

  // Clicks on the panel's menu reach the program's signals.
  int open = 0, settingsCount = 0, quit = 0;
  QObject context;
  QObject::connect(presence.get(), &TrayPresence::openWindowRequested, &context, [&] { ++open; });
  QObject::connect(presence.get(), &TrayPresence::settingsRequested, &context, [&] { ++settingsCount; });
  QObject::connect(presence.get(), &TrayPresence::quitRequested, &context, [&] { ++quit; });
  for (int id : {1, 2, 3}) {
    itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
             {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
  }
  itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
           {3, QStringLiteral("hovered"), QVariant::fromValue(QDBusVariant(QString())), 0u});
  auto eventGroup = itemCall(menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("EventGroup"),
                             {QVariant::fromValue(DBusMenuEventList{{1, QStringLiteral("clicked"), QDBusVariant(0), 0},
                                                                    {99, QStringLiteral("clicked"), QDBusVariant(0), 0}})});
  ASSERT_EQ(eventGroup.type(), QDBusMessage::ReplyMessage) << eventGroup.errorMessage().toStdString();
  EXPECT_EQ(qdbus_cast<QList<int>>(eventGroup.arguments().value(0)), QList<int>{99}) << "unknown items come back";
  EXPECT_TRUE(spinUntil([&] { return quit == 1 && open == 2; }));
  EXPECT_EQ(open, 2);
  EXPECT_EQ(settingsCount, 1);
  EXPECT_EQ(quit, 1);
}

TEST_F(TrayPresenceTest, ActivateAndSecondaryActivateReachTheProgramEveryTime) {
  startWatcher();
  makePresence();
  startAndRegister();
  std::vector<QPoint> activated;
  int secondary = 0, settingsCount = 0;
  QObject context;
  QObject::connect(presence.get(), &TrayPresence::activated, &context, [&](QPoint p) { activated.push_back(p); });
  QObject::connect(presence.get(), &TrayPresence::secondaryActivated, &context, [&] { ++secondary; });
  QObject::connect(presence.get(), &TrayPresence::settingsRequested, &context, [&] { ++settingsCount; });
  const auto path = QStringLiteral("/StatusNotifierItem");
  const auto iface = QStringLiteral("org.kde.StatusNotifierItem");

  itemCall(path, iface, QStringLiteral("Activate"), {120, 8});
  ASSERT_TRUE(spinUntil([&] { return activated.size() == 1; }));
  EXPECT_EQ(activated[0], QPoint(120, 8));
  itemCall(path, iface, QStringLiteral("Activate"), {121, 9});  // the second click closes the panel
  ASSERT_TRUE(spinUntil([&] { return activated.size() == 2; }));
  EXPECT_EQ(activated[1], QPoint(121, 9));

  itemCall(path, iface, QStringLiteral("SecondaryActivate"), {0, 0});
  EXPECT_TRUE(spinUntil([&] { return secondary == 1; }));
  EXPECT_EQ(itemCall(path, iface, QStringLiteral("Scroll"), {3, QStringLiteral("vertical")}).type(),
            QDBusMessage::ReplyMessage);

  itemCall(path, iface, QStringLiteral("ContextMenu"), {10, 10});
  EXPECT_TRUE(spinUntil([&] { return presence->contextMenu()->isVisible(); }));
  QStringList texts;
  for (auto* action : presence->contextMenu()->actions()) {
    texts.push_back(action->text());
    EXPECT_FALSE(action->icon().isNull());
  }
  EXPECT_EQ(texts, (QStringList{QStringLiteral("Pencereyi aç"), QStringLiteral("Ayarlar…"), QStringLiteral("Çık")}));
  presence->contextMenu()->actions().at(1)->trigger();
  EXPECT_TRUE(spinUntil([&] { return settingsCount == 1; }));
  presence->contextMenu()->hide();
}

TEST_F(TrayPresenceTest, LabelGuideToolTipAndIconFollowTheModel) {
  startWatcher();
  makePresence();
  startAndRegister();
  SignalSink sink;
  const auto service = presence->serviceName();
  const auto path = QStringLiteral("/StatusNotifierItem");
  const auto iface = QStringLiteral("org.kde.StatusNotifierItem");
  ASSERT_TRUE(panelBus.connect(service, path, iface, QStringLiteral("XAyatanaNewLabel"), &sink,
                               SLOT(onLabel(QString, QString))));
  ASSERT_TRUE(panelBus.connect(service, path, iface, QStringLiteral("NewIcon"), &sink, SLOT(onNewIcon())));
  ASSERT_TRUE(panelBus.connect(service, path, iface, QStringLiteral("NewToolTip"), &sink, SLOT(onNewToolTip())));

  const QString firstLabel = property(QStringLiteral("XAyatanaLabel")).toString();
  const QString guide = property(QStringLiteral("XAyatanaLabelGuide")).toString();
  EXPECT_TRUE(firstLabel.contains(QStringLiteral("RAM —")));
  EXPECT_EQ(guide, QStringLiteral("↓\u2009999,9 MB/s  ↑\u2009999,9 MB/s  RAM %100"));
  EXPECT_EQ(presence->iconContent().memoryPercent, std::nullopt) << "no reading yet: the ECG trace";

  // New readings: label, tool tip and the ring change and are announced.
  memorySampler->box.set(MemorySnapshot{100, 63, 0, 0, 0, std::nullopt, std::nullopt});
  advance(4);
  networkSampler->box.set(kovra::testing::networkAt(1'234'567, 60'000));
  read();
  label->refresh();
  // The label may first show the memory figure alone (it is drawn as soon as a first reading is in).
  ASSERT_TRUE(spinUntil([&] {
    return !sink.labels.isEmpty() && sink.labels.constLast().contains(QStringLiteral("↓\u20091,2 MB/s")) &&
           sink.newToolTips >= 1 && sink.newIcons >= 1;
  }));
  const QString secondLabel = sink.labels.constLast();
  EXPECT_TRUE(secondLabel.contains(QStringLiteral("↓\u20091,2 MB/s")));
  EXPECT_TRUE(secondLabel.contains(QStringLiteral("RAM %63")));
  EXPECT_EQ(sink.guides.constLast(), guide);
  EXPECT_EQ(secondLabel.size(), firstLabel.size()) << "digits changed, width did not";
  EXPECT_EQ(property(QStringLiteral("XAyatanaLabel")).toString(), secondLabel);
  EXPECT_EQ(qdbus_cast<SniToolTip>(property(QStringLiteral("ToolTip"))).description,
            QStringLiteral("İndirme 1,2 MB/s, yükleme 50 KB/s, Bellek kullanımı %63"));
  EXPECT_EQ(presence->iconContent().memoryPercent, 63);

  // A reading with the same rounded share redraws nothing.
  const int icons = sink.newIcons;
  advance(2);
  memorySampler->box.set(MemorySnapshot{1000, 631, 0, 0, 0, std::nullopt, std::nullopt});
  read();
  label->refresh();
  property(QStringLiteral("Title"));  // a round trip after which any signal would have arrived
  EXPECT_EQ(sink.newIcons, icons);

  // Both parts off: no label, the fallback picture.
  settings->setMenuBarShowsNetwork(false);
  settings->setMenuBarShowsMemory(false);
  label->refresh();
  ASSERT_TRUE(spinUntil([&] { return sink.labels.constLast().isEmpty(); }));
  EXPECT_TRUE(sink.guides.constLast().isEmpty());
  EXPECT_EQ(presence->iconContent().memoryPercent, std::nullopt);
}

TEST_F(TrayPresenceTest, WaitsForATrayBeforeGivingUpAndKeepsLookingAfterwards) {
  makePresence();
  int unavailable = 0, found = 0;
  QObject context;
  QObject::connect(presence.get(), &TrayPresence::unavailable, &context, [&] { ++unavailable; });
  QObject::connect(presence.get(), &TrayPresence::found, &context, [&] { ++found; });
  presence->start();
  presence->start();  // a second call does nothing
  testing::spinBriefly();
  // At login the panel may come up after the program: nothing is decided within the grace period.
  advance(TrayPresence::kGraceSeconds - 0.5);
  EXPECT_EQ(unavailable, 0);
  EXPECT_EQ(presence->mode(), TrayPresence::Mode::none);
  advance(1);
  EXPECT_EQ(unavailable, 1) << "the offscreen platform has no system tray to fall back to";
  advance(60);
  EXPECT_EQ(unavailable, 1);

  // A panel that starts later still gets the item, and the program hears of it.
  startWatcher();
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() == 1; }));
  EXPECT_TRUE(spinUntil([&] { return presence->mode() == TrayPresence::Mode::statusNotifier; }));
  EXPECT_EQ(found, 1);
}

TEST_F(TrayPresenceTest, RegistersAgainWhenTheWatcherDropsTheItemButNotInALoop) {
  startWatcher();
  makePresence();
  startAndRegister();
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() == 1; }));
  const QString path = QString::fromLatin1(TrayPresence::watcherPath);
  const QString iface = QString::fromLatin1(TrayPresence::watcherService);
  auto drop = [&](const QString& service) {
    auto signal = QDBusMessage::createSignal(path, iface, QStringLiteral("StatusNotifierItemUnregistered"));
    signal << service;
    panelBus.send(signal);
  };
  LogCapture log;
  drop(QStringLiteral("org.kde.StatusNotifierItem-1-1"));  // someone else's item
  for (int i = 0; i < 25; ++i) drop(presence->serviceName());
  for (int i = 0; i < 25; ++i) drop(itemBus.baseService() + QStringLiteral("@/StatusNotifierItem"));
  ASSERT_TRUE(spinUntil(
      [&] { return log.count("Durum bildirici izleyicisi tepsi öğesini düşürdü; yeniden kaydediliyor.") == 1; }));
  EXPECT_EQ(watcher.registrations.size(), 1u) << "registers again only after a pause";
  advance(1.2);
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() >= 2; }));
  // Drops still arriving may ask once more, but never more than once a second.
  for (int i = 0; i < 5; ++i) {
    testing::spinBriefly();
    advance(1.01);
  }
  testing::spinBriefly();
  EXPECT_LE(watcher.registrations.size(), 3u) << "a flood of drops costs a registration a second at most";
}

TEST_F(TrayPresenceTest, HostsThatLoadIconsByNameFindTheCurrentPicture) {
  startWatcher();
  makePresence();
  startAndRegister();
  auto iconFile = [&] {
    const QString name = property(QStringLiteral("IconName")).toString();
    const QString dir = property(QStringLiteral("IconThemePath")).toString();
    return name.isEmpty() || dir.isEmpty() ? QString() : dir + QLatin1Char('/') + name + QStringLiteral(".png");
  };
  const QString trace = iconFile();
  ASSERT_FALSE(trace.isEmpty());
  EXPECT_FALSE(QImage(trace).isNull());
  EXPECT_EQ(property(QStringLiteral("IconAccessibleDesc")).toString(),
            QStringLiteral("İndirme —, yükleme —, Bellek kullanımı —"));

  memorySampler->box.set(MemorySnapshot{100, 63, 0, 0, 0, std::nullopt, std::nullopt});
  read();
  label->refresh();
  ASSERT_TRUE(spinUntil([&] { return iconFile() != trace; }));
  EXPECT_FALSE(QImage(iconFile()).isNull()) << "a new name for a new picture: hosts cache by name";

  // The Ayatana hosts' middle click opens the window like the others' secondary activation.
  int secondary = 0;
  QObject context;
  QObject::connect(presence.get(), &TrayPresence::secondaryActivated, &context, [&] { ++secondary; });
  itemCall(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
           QStringLiteral("XAyatanaSecondaryActivate"), {0u});
  EXPECT_TRUE(spinUntil([&] { return secondary == 1; }));
  const QString dir = presence->iconThemePath();
  presence.reset();
  EXPECT_FALSE(QFileInfo::exists(dir)) << "the pictures go with the program";
}

// A watcher that takes registrations and never answers.
class SilentWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

 public:
  int calls = 0;

 public slots:
  void RegisterStatusNotifierItem(const QString&) {
    ++calls;
    setDelayedReply(true);
  }
};

TEST_F(TrayPresenceTest, AWatcherThatNeverAnswersDoesNotHoldUpStartUp) {
  SilentWatcher silent;
  ASSERT_TRUE(panelBus.registerObject(QString::fromLatin1(TrayPresence::watcherPath), &silent,
                                      QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(panelBus.registerService(QString::fromLatin1(TrayPresence::watcherService)));
  makePresence();
  int unavailable = 0;
  QObject context;
  QObject::connect(presence.get(), &TrayPresence::unavailable, &context, [&] { ++unavailable; });
  LogCapture log;
  presence->start();  // returns at once: nothing waits for the bus
  ASSERT_TRUE(spinUntil([&] { return silent.calls == 1; }));
  // The user is not left with nothing: after the grace period the window opens.
  advance(TrayPresence::kGraceSeconds + 0.5);
  EXPECT_EQ(unavailable, 1);
  // The unanswered call gives up after a few seconds and says so.
  ASSERT_TRUE(spinUntil([&] { return !log.messages("ui").empty(); }));
  EXPECT_NE(log.messages("ui").front().find("kaydedilemedi"), std::string::npos) << log.messages("ui").front();
}

class TrayPresenceBusLossTest : public kovra::testing::StoreFixture {};

TEST_F(TrayPresenceBusLossTest, MovesToANewConnectionWhenTheDaemonDropsTheOldOne) {
  testing::PrivateBus bus(64 * 1024);
  ASSERT_TRUE(bus.isRunning());
  QDBusConnection panelBus = bus.connect(nextName("panel"));
  TestWatcher watcher;
  ASSERT_TRUE(panelBus.registerObject(QString::fromLatin1(TrayPresence::watcherPath), &watcher,
                                      QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(panelBus.registerService(QString::fromLatin1(TrayPresence::watcherService)));

  LogCapture log;
  SessionBus keeper(executor, bus.address());
  ArayuzFixedWidthMeasurer measurer{13, 0.6};
  ArayuzMenuBarLabelModel label(*store, executor, measurer);
  TrayPresence presence(label, *store, executor, keeper.connection());
  QObject::connect(&keeper, &SessionBus::reconnected, &presence,
                   [&](const QDBusConnection& fresh) { presence.rebind(fresh); });
  presence.start();
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() == 1; }));

  // A message over the daemon's limit: the daemon drops the connection, as it does with a reply
  // that grew too large.
  QDBusMessage big = QDBusMessage::createSignal(QStringLiteral("/x"), QStringLiteral("x.y"), QStringLiteral("Z"));
  big << QByteArray(200 * 1024, 'x');
  keeper.connection().send(big);
  ASSERT_TRUE(spinUntil([&] { return !keeper.connection().isConnected(); }));

  advance(SessionBus::kCheckSeconds * 1.5);
  ASSERT_TRUE(spinUntil([&] { return watcher.registrations.size() == 2; }));
  EXPECT_EQ(keeper.reconnections(), 1);
  EXPECT_EQ(watcher.registrations[1].sender, keeper.connection().baseService());
  EXPECT_EQ(log.count("Oturum D-Bus'ına yeniden bağlanıldı; tepsi öğesi ve adlar yeniden kaydediliyor."), 1u);
  EXPECT_EQ(SessionBus::current().name(), keeper.connection().name());
}

class TrayPresenceWithoutBusTest : public kovra::testing::StoreFixture {};

TEST_F(TrayPresenceWithoutBusTest, LogsOnceAndReportsNoTrayAfterTheGracePeriod) {
  ArayuzFixedWidthMeasurer measurer;
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  LogCapture log;
  TrayPresence presence(model, *store, executor);  // the test run's session bus is disabled
  int unavailable = 0;
  QObject context;
  QObject::connect(&presence, &TrayPresence::unavailable, &context, [&] { ++unavailable; });
  presence.start();
  presence.start();
  advance(TrayPresence::kGraceSeconds + 1);
  EXPECT_EQ(unavailable, 1);
  auto errors = log.messages("ui");
  ASSERT_GE(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Oturum D-Bus'ına bağlanılamadı", 0), 0u) << errors[0];
  presence.withdraw();
}

}  // namespace
}  // namespace kovra::ui

#include "tray_presence_test.moc"
