#pragma once
// A simulated network platform for tests: counters, clock, address list and path updates are
// whatever the test sets. Path updates are delivered on the calling thread, as the real monitor
// would deliver them on its own.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network.h"

namespace kovra {

class FakeNetworkPlatform : public NetworkPlatform {
 public:
  // ---- what the platform reports; set by the test between calls -----------------------------
  std::vector<NetInterfaceCounter> counters;
  std::optional<std::string> counterError;  // when set, readCounters fails with it
  uint64_t now = 1'000'000'000;             // returned by monotonicNanoseconds (0 = clock failure)
  std::optional<std::vector<InterfaceAddressEntry>> addresses = std::vector<InterfaceAddressEntry>{};
  // When set, a monitor reports this path as soon as it starts.
  std::optional<NetworkPath> initialPath;

  // ---- what happened -----------------------------------------------------------------------
  int counterReads = 0;
  int addressLookups = 0;
  int monitorsMade() const;
  bool monitorRunning() const;

  // Delivers a path update to the running monitor, if any; returns whether one took it.
  bool deliverPath(const NetworkPath& path);

  // Helpers for building the test's data.
  static NetInterfaceCounter counter(std::string_view name, uint64_t received, uint64_t sent);
  static InterfaceAddressEntry address(std::string_view name, std::string_view text);  // IPv4 or IPv6 text
  static NetworkPath path(bool satisfied, std::vector<NetworkPath::Interface> interfaces);

  Result<Unit, std::string> readCounters(std::vector<NetInterfaceCounter>& out) override;
  uint64_t monotonicNanoseconds() override { return now; }
  std::string clockFailureText() const override { return "clock_gettime(CLOCK_MONOTONIC_RAW) başarısız"; }
  std::optional<std::vector<InterfaceAddressEntry>> interfaceAddresses() override;
  std::unique_ptr<NetworkPathMonitor> makePathMonitor() override;
  std::string pathNotReadyText() const override { return "rtnetlink yol izleyicisi bağlantı bilgisini henüz vermedi"; }

  // Shared between the platform and the monitors it made.
  struct Channel {
    mutable std::mutex lock;
    NetworkPathMonitor::Handler handler;
    int made = 0;
  };

 private:
  std::shared_ptr<Channel> channel_ = std::make_shared<Channel>();
};

}  // namespace kovra
