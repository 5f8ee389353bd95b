#pragma once
// Link counters from one rtnetlink RTM_GETLINK dump, and the sysfs rules that tell physical
// interfaces (and Wi-Fi ones) from virtual ones.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/linux/netlink_messages.h"
#include "platform/linux/netlink_socket.h"
#include "platform/linux/sys_root.h"

namespace kovra::netlink {

// One link of a dump; the name is stored inline so that a reading allocates nothing.
struct LinkCounters {
  int32_t index = 0;
  uint16_t type = 0;
  uint32_t flags = 0;
  std::array<char, kMaxNameLength + 1> nameBytes{};
  uint64_t received = 0;
  uint64_t sent = 0;

  std::string_view name() const { return std::string_view(nameBytes.data()); }
  static LinkCounters from(const Link& link);
};

// Reads every link with one dump over a socket and a buffer that live from call to call.
class LinkReader {
 public:
  // Dump datagrams are at most 32 KiB; starting there means a steady reading never grows it.
  static constexpr size_t kDefaultBuffer = 32 * 1024;
  explicit LinkReader(size_t initialBuffer = kDefaultBuffer) : initialBuffer_(initialBuffer) {}

  // Replaces the contents of `out` (keeping its storage) with every link of this network
  // namespace. Failures name the call: "netlink RTM_GETLINK okunamadı: … (errno N)".
  Result<Unit, std::string> readAll(std::vector<LinkCounters>& out);
  // One link by index; absent when it does not exist or cannot be read.
  std::optional<LinkCounters> link(int32_t index);

  size_t bufferCapacity() const { return buffer_.size(); }

 private:
  Result<Unit, std::string> exchange(std::span<const uint8_t> request, uint32_t sequence, bool dump,
                                     std::vector<LinkCounters>& out);
  size_t initialBuffer_;
  Socket socket_;
  std::vector<uint8_t> buffer_;
};

// sysfs questions about one interface, under a root that tests can point at a fixture tree.
class Sysfs {
 public:
  explicit Sysfs(std::string root = linuxfs::sysRoot()) : root_(std::move(root)) {}
  // A physical interface has a `device` link and does not live under devices/virtual.
  bool isPhysical(std::string_view name) const;
  // DEVTYPE=wlan in its uevent, a phy80211 link or a wireless folder.
  bool isWireless(std::string_view name) const;

 private:
  std::string interfacePath(std::string_view name) const;
  std::string root_;
};

// Remembers which links are physical, asking sysfs only for links it has not seen under that
// index and name before. Steady readings allocate nothing.
class PhysicalLinkCache {
 public:
  explicit PhysicalLinkCache(Sysfs sysfs = Sysfs()) : sysfs_(std::move(sysfs)) {}
  // Answers for every link of one reading and forgets links that are gone.
  void refresh(const std::vector<LinkCounters>& links);
  bool isPhysical(const LinkCounters& link) const;

 private:
  struct Entry {
    int32_t index = 0;
    std::array<char, kMaxNameLength + 1> name{};
    bool physical = false;
    bool seen = false;
  };
  Sysfs sysfs_;
  std::vector<Entry> entries_;
};

}  // namespace kovra::netlink
