#include "samplers/network/path_watcher.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/log.h"
#include "platform/fake/network_fake.h"

namespace kovra {
namespace {

using Type = NetworkPath::InterfaceType;
using Kind = ConnectionKind;

std::pair<Kind, std::optional<std::string>> resolve(bool satisfied, std::vector<NetworkPath::Interface> interfaces) {
  return NetPathWatcher::resolve(FakeNetworkPlatform::path(satisfied, std::move(interfaces)));
}

TEST(PathWatcher, ResolvesTheKindFromTheFirstWiFiOrWiredInterface) {
  EXPECT_EQ(resolve(true, {{"eth0", Type::wiredEthernet}, {"wlan0", Type::wifi}}),
            std::pair(Kind::ethernet, std::optional<std::string>("eth0")));
  EXPECT_EQ(resolve(true, {{"tun0", Type::other}, {"wlan0", Type::wifi}, {"eth0", Type::wiredEthernet}}),
            std::pair(Kind::wifi, std::optional<std::string>("wlan0")));
  // Otherwise "other": an "en" name first, then the first interface that is not loopback.
  EXPECT_EQ(resolve(true, {{"utun4", Type::other}, {"lo0", Type::loopback}}),
            std::pair(Kind::other, std::optional<std::string>("utun4")));
  EXPECT_EQ(resolve(true, {{"lo", Type::loopback}, {"tun0", Type::other}, {"enx1", Type::other}}),
            std::pair(Kind::other, std::optional<std::string>("enx1")));
  EXPECT_EQ(resolve(true, {{"lo", Type::loopback}}), std::pair(Kind::other, std::optional<std::string>()));
  EXPECT_EQ(resolve(true, {}), std::pair(Kind::other, std::optional<std::string>()));
  EXPECT_EQ(resolve(false, {{"eth0", Type::wiredEthernet}}), std::pair(Kind::none, std::optional<std::string>()));
}

TEST(PathWatcher, CountsGenerationsAndLogsEveryUpdate) {
  LogCapture capture;
  FakeNetworkPlatform platform;
  NetPathWatcher watcher(platform);
  EXPECT_EQ(watcher.state(0), std::nullopt);
  ASSERT_TRUE(platform.deliverPath(FakeNetworkPlatform::path(true, {{"eth0", Type::wiredEthernet}})));
  EXPECT_EQ(watcher.state(0), (NetPathWatcher::State{Kind::ethernet, "eth0", 1}));
  ASSERT_TRUE(platform.deliverPath(FakeNetworkPlatform::path(false, {})));
  ASSERT_TRUE(platform.deliverPath(FakeNetworkPlatform::path(true, {{"wlan0", Type::wifi}})));
  EXPECT_EQ(watcher.state(0), (NetPathWatcher::State{Kind::wifi, "wlan0", 3}));
  EXPECT_EQ(capture.count("Ağ yolu: ethernet eth0"), 1u);
  EXPECT_EQ(capture.count("Ağ yolu: none -"), 1u);
  EXPECT_EQ(capture.count("Ağ yolu: wifi wlan0"), 1u);
}

TEST(PathWatcher, StopsItsMonitorWhenDestroyed) {
  FakeNetworkPlatform platform;
  {
    NetPathWatcher watcher(platform);
    EXPECT_TRUE(platform.monitorRunning());
  }
  EXPECT_FALSE(platform.monitorRunning());
  EXPECT_FALSE(platform.deliverPath(FakeNetworkPlatform::path(true, {})));
}

// Starts a thread: the first update arrives from it while the reader waits.
TEST(PathWatcherThreaded, WaitingReaderWakesOnTheFirstUpdate) {
  FakeNetworkPlatform platform;
  NetPathWatcher watcher(platform);
  std::thread monitor([&] { platform.deliverPath(FakeNetworkPlatform::path(true, {{"eth0", Type::wiredEthernet}})); });
  // Long enough never to run out on a loaded machine; returns as soon as the update lands.
  const auto state = watcher.state(30);
  monitor.join();
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->generation, 1);
  EXPECT_EQ(state->kind, Kind::ethernet);
}

}  // namespace
}  // namespace kovra
