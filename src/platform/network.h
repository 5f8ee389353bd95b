#pragma once
// What the network sampler and the path watcher need from the operating system: per-interface
// byte counters of the physical interfaces, a monotonic clock, the interface address list and a
// monitor of the network path. The live implementation comes from makeSystemNetworkPlatform(); tests
// use FakeNetworkPlatform (platform/fake/network_fake.h).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace kovra {

// An interface name's bytes packed little-endian into two words (first character in the lowest
// byte of `low`). Interface names on Linux reach 15 bytes, so one 8-byte word would let
// "enp0s31f6" and "enp0s31f7" collide; sixteen bytes hold every name whole.
struct InterfaceKey {
  uint64_t low = 0;
  uint64_t high = 0;
  bool operator==(const InterfaceKey&) const = default;
};

// Packs the first 16 bytes of `name`.
inline InterfaceKey interfaceKey(std::string_view name) {
  InterfaceKey key;
  for (size_t i = 0; i < name.size() && i < 16; ++i) {
    const uint64_t byte = static_cast<unsigned char>(name[i]);
    if (i < 8) {
      key.low |= byte << (8 * i);
    } else {
      key.high |= byte << (8 * (i - 8));
    }
  }
  return key;
}

// One interface in one reading: cumulative bytes received and sent.
struct NetInterfaceCounter {
  InterfaceKey key;
  uint64_t received = 0;
  uint64_t sent = 0;
  bool operator==(const NetInterfaceCounter&) const = default;
};

// One entry of the interface address list.
struct InterfaceAddressEntry {
  enum class Family { ipv4, ipv6, other };
  std::string name;
  Family family = Family::other;
  std::array<uint8_t, 16> bytes{};  // network byte order; IPv4 uses the first four
};

// The network path as the system sees it: whether traffic can leave the machine and through
// which interfaces, the preferred one first.
struct NetworkPath {
  enum class InterfaceType { wifi, wiredEthernet, loopback, other };
  struct Interface {
    std::string name;
    InterfaceType type = InterfaceType::other;
    bool operator==(const Interface&) const = default;
  };
  bool satisfied = false;
  std::vector<Interface> availableInterfaces;
  bool operator==(const NetworkPath&) const = default;
};

// Reports path updates on a thread of its own from start() until cancel(). After cancel() returns
// the handler is never called again; cancel() must not be called from inside the handler.
class NetworkPathMonitor {
 public:
  using Handler = std::function<void(const NetworkPath&)>;
  virtual ~NetworkPathMonitor() = default;
  virtual void start(Handler handler) = 0;
  virtual void cancel() = 0;
};

class NetworkPlatform {
 public:
  virtual ~NetworkPlatform() = default;

  // Replaces the contents of `out` (keeping its storage) with the counters of the physical
  // interfaces. Fails with a text that names the failing call.
  virtual Result<Unit, std::string> readCounters(std::vector<NetInterfaceCounter>& out) = 0;

  // Monotonic time in nanoseconds; 0 means the clock could not be read.
  virtual uint64_t monotonicNanoseconds() = 0;
  // The failure text for a clock that returned 0.
  virtual std::string clockFailureText() const = 0;

  // Every address of every interface, in the system's order; absent when the list is unreadable.
  virtual std::optional<std::vector<InterfaceAddressEntry>> interfaceAddresses() = 0;

  // A new, not yet started monitor of the network path.
  virtual std::unique_ptr<NetworkPathMonitor> makePathMonitor() = 0;
  // The failure text for a monitor that has not reported any path yet.
  virtual std::string pathNotReadyText() const = 0;
};

// A platform for the running system. Each sampler gets its own: it keeps reusable buffers and
// is used from one thread at a time.
std::shared_ptr<NetworkPlatform> makeSystemNetworkPlatform();

}  // namespace kovra
