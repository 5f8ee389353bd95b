// The menu object on a private bus, called by a peer that sends oversized requests: the answers
// stay as small as the menu, clicks count once, and the menu's connection stays on the bus.

#include "ui/tray/dbus_menu.h"

#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

#include "private_bus.h"

namespace kovra::ui {
namespace {

using testing::callAndWait;
using testing::spinBriefly;
using testing::spinUntil;

class DBusMenuOnBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registerTrayDBusTypes();
    ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start";
    menuBus = bus.connect(QStringLiteral("menu-owner"));
    peerBus = bus.connect(QStringLiteral("menu-peer"));
    ASSERT_TRUE(menuBus.isConnected());
    ASSERT_TRUE(peerBus.isConnected());
    ASSERT_TRUE(menuBus.registerObject(QStringLiteral("/MenuBar"), &menu, QDBusConnection::ExportAdaptors));
    QObject::connect(&menu, &DBusMenu::triggered, &menu, [this](int id) { triggered.push_back(id); });
  }

  QDBusMessage call(const QString& method, const QVariantList& args) {
    auto message = QDBusMessage::createMethodCall(menuBus.baseService(), QStringLiteral("/MenuBar"),
                                                  QStringLiteral("com.canonical.dbusmenu"), method);
    message.setArguments(args);
    return callAndWait(peerBus, message);
  }

  // The menu's connection is still on the bus and still answers.
  void expectStillServing() {
    EXPECT_TRUE(menuBus.isConnected());
    EXPECT_TRUE(peerBus.interface()->isServiceRegistered(menuBus.baseService()).value());
    auto layout = call(QStringLiteral("GetLayout"), {0, -1, QStringList()});
    ASSERT_EQ(layout.type(), QDBusMessage::ReplyMessage) << layout.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<DBusMenuLayoutItem>(layout.arguments().value(1)).children.size(), 3);
  }

  testing::PrivateBus bus;
  QDBusConnection menuBus{QString()};
  QDBusConnection peerBus{QString()};
  DBusMenu menu;
  QList<int> triggered;
};

TEST_F(DBusMenuOnBusTest, HugeRequestsGetAnswersNoLargerThanTheMenu) {
  // 1.4 million copies of one id: one item comes back, with only the property asked for.
  const QList<int> sameId(1'400'000, DBusMenu::quitId);
  QStringList names(100'000, QStringLiteral("label"));
  names.push_back(QStringLiteral("no-such-property"));
  auto group = call(QStringLiteral("GetGroupProperties"), {QVariant::fromValue(sameId), names});
  ASSERT_EQ(group.type(), QDBusMessage::ReplyMessage) << group.errorMessage().toStdString();
  auto items = qdbus_cast<DBusMenuItemList>(group.arguments().value(0));
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0].id, DBusMenu::quitId);
  EXPECT_EQ(items[0].properties.keys(), QStringList{QStringLiteral("label")});

  // Names of properties no item has ask for nothing, not for everything.
  auto none = call(QStringLiteral("GetGroupProperties"),
                   {QVariant::fromValue(QList<int>{1, 2}), QStringList{QStringLiteral("x"), QStringLiteral("y")}});
  auto bare = qdbus_cast<DBusMenuItemList>(none.arguments().value(0));
  ASSERT_EQ(bare.size(), 2);
  EXPECT_TRUE(bare[0].properties.isEmpty());

  // As many distinct unknown ids: the list of errors stays short.
  QList<int> unknown(1'400'000);
  for (int i = 0; i < unknown.size(); ++i) unknown[i] = 1000 + i;
  unknown.push_back(DBusMenu::settingsId);
  auto show = call(QStringLiteral("AboutToShowGroup"), {QVariant::fromValue(unknown)});
  ASSERT_EQ(show.type(), QDBusMessage::ReplyMessage) << show.errorMessage().toStdString();
  const auto idErrors = qdbus_cast<QList<int>>(show.arguments().value(1));
  EXPECT_EQ(idErrors.size(), DBusMenu::maxReportedUnknownIds);
  EXPECT_EQ(idErrors.value(0), 1000);

  expectStillServing();
}

TEST_F(DBusMenuOnBusTest, ManyClicksOnOneItemCountOnce) {
  DBusMenuEventList events;
  for (int i = 0; i < 200'000; ++i) {
    events.push_back({i % 2 == 0 ? DBusMenu::openWindowId : 5000 + i, QStringLiteral("clicked"), QDBusVariant(0), 0});
  }
  auto reply = call(QStringLiteral("EventGroup"), {QVariant::fromValue(events)});
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  const auto errors = qdbus_cast<QList<int>>(reply.arguments().value(0));
  EXPECT_LE(errors.size(), DBusMenu::maxReportedUnknownIds);
  EXPECT_EQ(errors.value(0), 5001);
  ASSERT_TRUE(spinUntil([&] { return !triggered.isEmpty(); }));
  spinBriefly();
  EXPECT_EQ(triggered, QList<int>{DBusMenu::openWindowId});

  expectStillServing();
}

}  // namespace
}  // namespace kovra::ui
