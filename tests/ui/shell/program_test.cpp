// The built kovra program from outside: its command line, the run without a display, one copy
// per session, and a clean end on SIGTERM.

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

#include "child_process.h"
#include "core/unique_fd.h"
#include "support/temp_dir.h"

namespace kovra::ui::testing {
namespace {

using Env = std::map<std::string, std::optional<std::string>>;

// No display of any kind, and nothing that could reach the desktop.
Env headless() {
  return {{"DISPLAY", std::nullopt},
          {"WAYLAND_DISPLAY", std::nullopt},
          {"QT_QPA_PLATFORM", std::nullopt},
          {"DBUS_SESSION_BUS_ADDRESS", "disabled:"}};
}

ChildOutcome run(std::vector<std::string> arguments, Env env = headless()) {
  arguments.insert(arguments.begin(), KOVRA_BINARY);
  ChildProcess child(std::move(arguments), env);
  return child.wait();
}

TEST(Program, CommandLine) {
  auto help = run({"--help"});
  EXPECT_TRUE(help.exited);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--dump"), std::string::npos);

  // Output that cannot be written is a failure, not a success.
  for (const char* flag : {"--help", "--version"}) {
    ChildProcess full({"/bin/sh", "-c", std::string("exec \"$0\" ") + flag + " >/dev/full", KOVRA_BINARY}, headless());
    auto refused = full.wait();
    EXPECT_EQ(refused.status, 1) << flag;
    EXPECT_NE(refused.err.find("yazılamadı"), std::string::npos) << refused.err;
  }

  auto version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kovra ", 0), 0u) << version.out;

  auto bogus = run({"--bogus"});
  EXPECT_EQ(bogus.status, 2);
  EXPECT_TRUE(bogus.out.empty());
  EXPECT_NE(bogus.err.find("kullanım: kovra"), std::string::npos);
  EXPECT_NE(bogus.err.find("--bogus"), std::string::npos);

  // A single dash or a glued value is not --dump, so it is an unknown argument.
  EXPECT_EQ(run({"-dump"}).status, 2);
  EXPECT_EQ(run({"--dump=1"}).status, 2);
  EXPECT_EQ(run({"--help", "--bogus"}).status, 2);
}

TEST(Program, WithoutADisplayNamesDumpAndEndsWithOne) {
  auto outcome = run({});
  ASSERT_TRUE(outcome.exited) << "killed by a signal: Qt aborted";
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("--dump"), std::string::npos);
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
  EXPECT_TRUE(outcome.out.empty());
}

// The toolkit lives in the front end's library: a copy of the program without it still answers
// everything but the live start, and the live start names what is missing instead of crashing.
TEST(Program, CopyWithoutItsFrontEndLibrary) {
  kovra::testing::TempDir folder;
  const std::string copy = folder.at("kovra");
  ChildProcess copying({"/bin/cp", KOVRA_BINARY, copy}, headless());
  ASSERT_EQ(copying.wait().status, 0);

  ChildProcess version({copy, "--version"}, headless());
  auto versionOutcome = version.wait();
  EXPECT_EQ(versionOutcome.status, 0) << versionOutcome.err;
  EXPECT_EQ(versionOutcome.out.rfind("kovra ", 0), 0u);

  ChildProcess live({copy}, headless());
  auto liveOutcome = live.wait();
  ASSERT_TRUE(liveOutcome.exited);
  EXPECT_EQ(liveOutcome.status, 1);
  EXPECT_NE(liveOutcome.err.find("arayüz kitaplığı yüklenemedi"), std::string::npos) << liveOutcome.err;
  EXPECT_EQ(std::count(liveOutcome.err.begin(), liveOutcome.err.end(), '\n'), 1) << liveOutcome.err;
}

class LiveProgram : public ::testing::Test {
 protected:
  Env live() {
    return {{"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"DBUS_SESSION_BUS_ADDRESS", bus.address()},
            {"XDG_CONFIG_HOME", home.at("config")},
            {"XDG_RUNTIME_DIR", home.path()},
            {"HOME", home.path()},
            {"KOVRA_LOG", "stderr"},
            {"KOVRA_LOG_LEVEL", "info"},
            // Under the address sanitizer, what the desktop libraries keep until exit must not
            // turn a clean end into a failing status.
            {"LSAN_OPTIONS", "exitcode=0"},
            {"XCTestConfigurationFilePath", std::nullopt}};
  }

  // Polls the bus until the first copy owns its name (or the copy ended).
  bool waitForName(ChildProcess& first) {
    auto connection = QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "kovra-program-test");
    for (int i = 0; i < 600 && first.running(); ++i) {
      if (connection.interface()->isServiceRegistered("com.example.Kovra")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  PrivateBus bus;
  kovra::testing::TempDir home;
};

TEST_F(LiveProgram, SecondCopyHandsOverAndFirstEndsCleanlyOnSigterm) {
  ASSERT_TRUE(bus.ok());
  ChildProcess first({KOVRA_BINARY}, live());
  ASSERT_TRUE(waitForName(first)) << first.errSoFar();

  ChildProcess second({KOVRA_BINARY}, live());
  auto handedOver = second.wait();
  EXPECT_TRUE(handedOver.exited);
  EXPECT_EQ(handedOver.status, 0);
  EXPECT_NE(handedOver.err.find("zaten çalışıyor"), std::string::npos) << handedOver.err;
  EXPECT_TRUE(first.running());

  // --dump is never held back by a running copy.
  auto dump = run({"--dump"}, live());
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out.rfind("{", 0), 0u);

  first.signal(SIGTERM);
  auto ended = first.wait();
  EXPECT_TRUE(ended.exited) << ended.err;
  EXPECT_EQ(ended.status, 0);
}

TEST_F(LiveProgram, NameTakenAndLockHeldEndsWithAReasonAndAFailingStatus) {
  ASSERT_TRUE(bus.ok());
  auto squatter = QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "kovra-squatter");
  ASSERT_TRUE(squatter.registerService(QStringLiteral("com.example.Kovra")));
  kovra::UniqueFd lock(::open(home.at("kovra.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  ASSERT_EQ(::flock(lock.get(), LOCK_EX | LOCK_NB), 0);

  auto outcome = run({}, live());
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("Kovra başlatılamadı"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("ana penceresi açıldı"), std::string::npos) << outcome.err;
  QDBusConnection::disconnectFromBus("kovra-squatter");
}

TEST_F(LiveProgram, WithoutASessionBusTheLockFileDecides) {
  Env env = live();
  env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:";
  ChildProcess first({KOVRA_BINARY}, env);
  // The first copy holds the lock once it logs that it opened its window.
  for (int i = 0; i < 600 && first.running(); ++i) {
    if (first.errSoFar().find("ana pencere") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(first.running()) << first.errSoFar();
  auto second = run({}, env);
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.err.find("zaten çalışıyor"), std::string::npos) << second.err;
  first.signal(SIGINT);
  EXPECT_EQ(first.wait().status, 0);
}

}  // namespace
}  // namespace kovra::ui::testing
