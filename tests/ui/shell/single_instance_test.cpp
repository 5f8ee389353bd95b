// One copy per session, decided on a private bus or, without one, by the lock file.

#include <QDBusConnection>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "child_process.h"
#include "support/temp_dir.h"
#include "ui/shell/single_instance.h"

namespace kovra::ui::testing {
namespace {

TEST(SingleInstance, SecondClaimOnTheBusActivatesTheFirst) {
  PrivateBus bus;
  ASSERT_TRUE(bus.ok());
  kovra::testing::TempDir dir;
  const QString address = QString::fromStdString(bus.address());
  {
    auto a = QDBusConnection::connectToBus(address, "kovra-first");
    auto b = QDBusConnection::connectToBus(address, "kovra-second");
    ASSERT_TRUE(a.isConnected());
    SingleInstance first(a, dir.at("a.lock"));
    QSignalSpy activated(&first, &SingleInstance::activateRequested);
    EXPECT_EQ(first.claim(), SingleInstance::Claim::first);

    SingleInstance second(b, dir.at("b.lock"));
    EXPECT_EQ(second.claim(), SingleInstance::Claim::alreadyRunning);
    EXPECT_EQ(activated.count(), 1);
  }
  // The name is given back when the first copy goes.
  {
    auto c = QDBusConnection::connectToBus(address, "kovra-third");
    SingleInstance third(c, dir.at("c.lock"));
    EXPECT_EQ(third.claim(), SingleInstance::Claim::first);
  }
  QDBusConnection::disconnectFromBus("kovra-first");
  QDBusConnection::disconnectFromBus("kovra-second");
  QDBusConnection::disconnectFromBus("kovra-third");
}

TEST(SingleInstance, WhenTheNamesOwnerDoesNotAnswerTheLockDecides) {
  PrivateBus bus;
  ASSERT_TRUE(bus.ok());
  kovra::testing::TempDir dir;
  const QString address = QString::fromStdString(bus.address());
  const std::string lock = dir.at("kovra.lock");
  {
    // Another program owns the name and has no Activate.
    auto squatter = QDBusConnection::connectToBus(address, "kovra-squatter");
    ASSERT_TRUE(squatter.registerService(SingleInstance::kServiceName));
    auto a = QDBusConnection::connectToBus(address, "kovra-runs");
    SingleInstance runs(a, lock);
    EXPECT_EQ(runs.claim(), SingleInstance::Claim::first) << "the lock is free";

    auto b = QDBusConnection::connectToBus(address, "kovra-stuck");
    SingleInstance stuck(b, lock);
    EXPECT_EQ(stuck.claim(), SingleInstance::Claim::unreachable) << "the lock is held and nobody answers";
  }
  for (const char* name : {"kovra-squatter", "kovra-runs", "kovra-stuck"}) QDBusConnection::disconnectFromBus(name);
}

TEST(SingleInstance, WithoutABusTheLockDecides) {
  kovra::testing::TempDir dir;
  auto none = QDBusConnection::connectToBus(QStringLiteral("disabled:"), "kovra-none");
  ASSERT_FALSE(none.isConnected());
  const std::string lock = dir.at("kovra.lock");
  {
    SingleInstance first(none, lock);
    EXPECT_EQ(first.claim(), SingleInstance::Claim::first);
    SingleInstance second(none, lock);
    EXPECT_EQ(second.claim(), SingleInstance::Claim::alreadyRunning);
  }
  // Released with its holder.
  SingleInstance later(none, lock);
  EXPECT_EQ(later.claim(), SingleInstance::Claim::first);
  QDBusConnection::disconnectFromBus("kovra-none");
}

TEST(SingleInstance, LockPathThatIsALinkIsNotFollowed) {
  kovra::testing::TempDir dir;
  const std::string target = dir.write("target", "keep");
  const std::string link = dir.at("kovra.lock");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  auto none = QDBusConnection::connectToBus(QStringLiteral("disabled:"), "kovra-none-2");
  SingleInstance first(none, link);
  EXPECT_EQ(first.claim(), SingleInstance::Claim::first);  // runs, unguarded
  EXPECT_EQ(kovra::testing::readFile(target), "keep");
  QDBusConnection::disconnectFromBus("kovra-none-2");
}

}  // namespace
}  // namespace kovra::ui::testing
