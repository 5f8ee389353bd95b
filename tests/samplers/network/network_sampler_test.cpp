#include "samplers/network/network_sampler.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/fake/network_fake.h"

namespace kovra {
namespace {

constexpr uint64_t kSecond = 1'000'000'000;
constexpr uint64_t kMillisecond = 1'000'000;

using Type = NetworkPath::InterfaceType;

struct Fixture {
  std::shared_ptr<FakeNetworkPlatform> platform = std::make_shared<FakeNetworkPlatform>();
  // No waiting in tests: a path is either there at once or not at all.
  NetworkSampler sampler{platform, 0};

  Fixture() {
    platform->initialPath = FakeNetworkPlatform::path(true, {{"eth0", Type::wiredEthernet}});
    platform->addresses = std::vector{FakeNetworkPlatform::address("eth0", "192.168.1.20")};
  }
  void counters(uint64_t received, uint64_t sent) { platform->counters = {FakeNetworkPlatform::counter("eth0", received, sent)}; }
  SampleResult<NetworkSnapshot> at(uint64_t ns) {
    platform->now = ns;
    return sampler.sample();
  }
};

bool isNotReady(const SampleResult<NetworkSnapshot>& r) { return !r.ok() && r.error().isNotReady(); }

TEST(NetworkSampler, NeedsABaselineAndTwoHundredMilliseconds) {
  Fixture f;
  f.counters(1000, 500);
  EXPECT_TRUE(isNotReady(f.at(kSecond)));
  f.counters(1100, 550);
  EXPECT_TRUE(isNotReady(f.at(kSecond + 100 * kMillisecond)));  // too soon, no rates yet
  f.counters(3000, 1500);
  auto r = f.at(2 * kSecond);
  ASSERT_TRUE(r.ok()) << r.error().text();
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 2000);  // measured from the first baseline
  EXPECT_DOUBLE_EQ(r->uploadBytesPerSecond, 1000);
  EXPECT_EQ(r->totalDownloadedBytes, 2000u);
  EXPECT_EQ(r->totalUploadedBytes, 1000u);
  EXPECT_EQ(r->connection, ConnectionKind::ethernet);
  EXPECT_EQ(r->interfaceName, "eth0");
  EXPECT_EQ(r->localIP, "192.168.1.20");
}

TEST(NetworkSampler, TooSoonRepeatsTheLastRatesAndKeepsTheBaseline) {
  Fixture f;
  f.counters(0, 0);
  (void)f.at(kSecond);
  f.counters(1000, 100);
  auto first = f.at(2 * kSecond);
  ASSERT_TRUE(first.ok());
  f.counters(5000, 900);
  auto soon = f.at(2 * kSecond + 50 * kMillisecond);
  ASSERT_TRUE(soon.ok());
  EXPECT_EQ(soon.value(), first.value());
  // The discarded reading did not move the baseline: the next one measures from 1000 at 2 s.
  f.counters(3000, 300);
  auto next = f.at(3 * kSecond);
  ASSERT_TRUE(next.ok());
  EXPECT_DOUBLE_EQ(next->downloadBytesPerSecond, 2000);
  EXPECT_EQ(next->totalDownloadedBytes, 3000u);
  // A clock that stands still counts as too soon as well.
  auto still = f.at(3 * kSecond);
  ASSERT_TRUE(still.ok());
  EXPECT_EQ(still.value(), next.value());
}

TEST(NetworkSampler, ResetCounterAddsNothingAndNewInterfaceWaitsForItsBaseline) {
  Fixture f;
  f.platform->counters = {FakeNetworkPlatform::counter("eth0", 10'000, 10'000)};
  (void)f.at(kSecond);
  f.platform->counters = {FakeNetworkPlatform::counter("eth0", 400, 10'000),  // reset
                          FakeNetworkPlatform::counter("wlan0", 7'000, 7'000)};  // just appeared
  auto r = f.at(2 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 0);
  EXPECT_DOUBLE_EQ(r->uploadBytesPerSecond, 0);
  f.platform->counters = {FakeNetworkPlatform::counter("eth0", 600, 10'050),
                          FakeNetworkPlatform::counter("wlan0", 7'100, 7'000)};
  r = f.at(3 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 300);  // 200 on eth0 from its new value + 100 on wlan0
  EXPECT_DOUBLE_EQ(r->uploadBytesPerSecond, 50);
  EXPECT_EQ(r->totalDownloadedBytes, 300u);
}

TEST(NetworkSampler, LongInterfaceNamesDoNotShareCounters) {
  Fixture f;
  f.platform->counters = {FakeNetworkPlatform::counter("enp0s31f6", 1000, 0),
                          FakeNetworkPlatform::counter("enp0s31f7", 5000, 0)};
  (void)f.at(kSecond);
  f.platform->counters = {FakeNetworkPlatform::counter("enp0s31f7", 5100, 0),
                          FakeNetworkPlatform::counter("enp0s31f6", 1000, 0)};
  auto r = f.at(2 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 100);
}

TEST(NetworkSampler, TotalsWrapAndAPauseIsAveragedInFull) {
  Fixture f;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  f.counters(kMax - 10, 0);
  (void)f.at(kSecond);
  f.counters(kMax, 0);
  ASSERT_TRUE(f.at(2 * kSecond).ok());
  // Build totals near the top, then let them wrap.
  f.counters(0, 0);  // reset: adds nothing
  ASSERT_TRUE(f.at(3 * kSecond).ok());
  f.counters(kMax - 5, 0);
  auto r = f.at(4 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->totalDownloadedBytes, 10 + (kMax - 5));  // wraps: 4
  EXPECT_EQ(r->totalDownloadedBytes, 4u);

  // Ten quiet seconds with 10 000 bytes: the rate is their average over the whole pause.
  Fixture g;
  g.counters(0, 0);
  (void)g.at(kSecond);
  g.counters(10'000, 0);
  r = g.at(11 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 1000);
  EXPECT_EQ(r->totalDownloadedBytes, 10'000u);
}

TEST(NetworkSampler, FailuresPassThroughAndChangeNothing) {
  Fixture f;
  f.counters(0, 0);
  (void)f.at(kSecond);
  f.platform->counterError = "netlink RTM_GETLINK okunamadı: Permission denied (errno 13)";
  auto r = f.at(2 * kSecond);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().message(), "netlink RTM_GETLINK okunamadı: Permission denied (errno 13)");
  f.platform->counterError.reset();

  f.counters(1000, 0);
  r = f.at(0);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().message(), "clock_gettime(CLOCK_MONOTONIC_RAW) başarısız");

  // The baseline is still the one taken at 1 s with 0 bytes.
  r = f.at(3 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 500);
  EXPECT_EQ(r->totalDownloadedBytes, 1000u);
}

TEST(NetworkSampler, NoPhysicalInterfaceGivesZeroRates) {
  Fixture f;
  (void)f.at(kSecond);
  auto r = f.at(2 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->downloadBytesPerSecond, 0);
  EXPECT_EQ(r->totalUploadedBytes, 0u);
}

TEST(NetworkSampler, MissingPathIsUnreadableUntilTheMonitorReports) {
  Fixture f;
  f.platform->initialPath.reset();
  f.counters(0, 0);
  (void)f.at(kSecond);
  EXPECT_EQ(f.platform->monitorsMade(), 1);
  f.counters(2000, 0);
  auto r = f.at(2 * kSecond);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error().message(), "rtnetlink yol izleyicisi bağlantı bilgisini henüz vermedi");
  // The rates of that reading were kept; a call right after repeats them once the path is known.
  ASSERT_TRUE(f.platform->deliverPath(FakeNetworkPlatform::path(true, {{"eth0", Type::wiredEthernet}})));
  r = f.at(2 * kSecond + 10 * kMillisecond);
  ASSERT_TRUE(r.ok());
  EXPECT_DOUBLE_EQ(r->downloadBytesPerSecond, 2000);
  EXPECT_EQ(f.platform->monitorsMade(), 1);
}

TEST(NetworkSampler, UnsatisfiedPathHasNoNameAndNoAddress) {
  Fixture f;
  f.platform->initialPath = FakeNetworkPlatform::path(false, {{"eth0", Type::wiredEthernet}});
  (void)f.at(kSecond);
  auto r = f.at(2 * kSecond);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->connection, ConnectionKind::none);
  EXPECT_EQ(r->interfaceName, std::nullopt);
  EXPECT_EQ(r->localIP, std::nullopt);
  EXPECT_EQ(f.platform->addressLookups, 0);
}

TEST(NetworkSampler, AddressIsCachedPerGenerationForTenSecondsOrTwoWhenMissing) {
  Fixture f;
  (void)f.at(kSecond);
  ASSERT_TRUE(f.at(2 * kSecond).ok());
  EXPECT_EQ(f.platform->addressLookups, 1);
  f.platform->addresses = std::vector{FakeNetworkPlatform::address("eth0", "10.0.0.7")};
  auto r = f.at(11 * kSecond);  // 9 s after the lookup: cached
  EXPECT_EQ(r->localIP, "192.168.1.20");
  EXPECT_EQ(f.platform->addressLookups, 1);
  r = f.at(12 * kSecond);  // 10 s: looked up again
  EXPECT_EQ(r->localIP, "10.0.0.7");
  EXPECT_EQ(f.platform->addressLookups, 2);

  // A path update (new generation) looks the address up at once.
  f.platform->addresses = std::vector<InterfaceAddressEntry>{};
  ASSERT_TRUE(f.platform->deliverPath(FakeNetworkPlatform::path(true, {{"eth0", Type::wiredEthernet}})));
  r = f.at(13 * kSecond);
  EXPECT_EQ(r->localIP, std::nullopt);
  EXPECT_EQ(f.platform->addressLookups, 3);
  // "No address" is cached for only two seconds.
  f.platform->addresses = std::vector{FakeNetworkPlatform::address("eth0", "10.0.0.8")};
  r = f.at(14 * kSecond);
  EXPECT_EQ(r->localIP, std::nullopt);
  r = f.at(15 * kSecond);
  EXPECT_EQ(r->localIP, "10.0.0.8");
  EXPECT_EQ(f.platform->addressLookups, 4);

  // A different interface is never served from the cache.
  ASSERT_TRUE(f.platform->deliverPath(FakeNetworkPlatform::path(true, {{"wlan0", Type::wifi}})));
  f.platform->addresses = std::vector{FakeNetworkPlatform::address("wlan0", "172.16.0.2")};
  r = f.at(16 * kSecond);
  EXPECT_EQ(r->connection, ConnectionKind::wifi);
  EXPECT_EQ(r->localIP, "172.16.0.2");
  // An unreadable address list is no address.
  f.platform->addresses.reset();
  ASSERT_TRUE(f.platform->deliverPath(FakeNetworkPlatform::path(true, {{"wlan0", Type::wifi}})));
  r = f.at(17 * kSecond);
  EXPECT_EQ(r->localIP, std::nullopt);
}

TEST(NetworkSampler, DestroyingTheSamplerStopsItsPathMonitor) {
  auto platform = std::make_shared<FakeNetworkPlatform>();
  {
    NetworkSampler sampler(platform, 0);
    (void)sampler.sample();
    EXPECT_TRUE(platform->monitorRunning());
  }
  EXPECT_FALSE(platform->monitorRunning());
}

}  // namespace
}  // namespace kovra
