// The network platform of a Linux machine: counters from one rtnetlink link dump, the raw
// monotonic clock, getifaddrs and the rtnetlink path monitor.

#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <ctime>

#include "platform/linux/netlink_links.h"
#include "platform/linux/network_path_linux.h"
#include "platform/network.h"

namespace kovra {
namespace {

class LinuxNetworkPlatform : public NetworkPlatform {
 public:
  Result<Unit, std::string> readCounters(std::vector<NetInterfaceCounter>& out) override {
    auto read = reader_.readAll(links_);
    if (!read.ok()) return read;
    physical_.refresh(links_);
    out.clear();
    for (const auto& link : links_) {
      if (physical_.isPhysical(link)) out.push_back({interfaceKey(link.name()), link.received, link.sent});
    }
    return Unit{};
  }

  uint64_t monotonicNanoseconds() override {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_RAW, &now) != 0) return 0;
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
  }

  std::string clockFailureText() const override { return "clock_gettime(CLOCK_MONOTONIC_RAW) başarısız"; }

  std::optional<std::vector<InterfaceAddressEntry>> interfaceAddresses() override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::vector<InterfaceAddressEntry> entries;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
      if (it->ifa_addr == nullptr || it->ifa_name == nullptr) continue;
      InterfaceAddressEntry e;
      e.name = it->ifa_name;
      if (it->ifa_addr->sa_family == AF_INET) {
        sockaddr_in address;
        std::memcpy(&address, it->ifa_addr, sizeof address);
        e.family = InterfaceAddressEntry::Family::ipv4;
        std::memcpy(e.bytes.data(), &address.sin_addr, 4);
      } else if (it->ifa_addr->sa_family == AF_INET6) {
        sockaddr_in6 address;
        std::memcpy(&address, it->ifa_addr, sizeof address);
        e.family = InterfaceAddressEntry::Family::ipv6;
        std::memcpy(e.bytes.data(), &address.sin6_addr, 16);
      } else {
        continue;
      }
      entries.push_back(std::move(e));
    }
    freeifaddrs(list);
    return entries;
  }

  std::unique_ptr<NetworkPathMonitor> makePathMonitor() override {
    return std::make_unique<netlink::LinuxPathMonitor>();
  }

  std::string pathNotReadyText() const override { return "rtnetlink yol izleyicisi bağlantı bilgisini henüz vermedi"; }

 private:
  netlink::LinkReader reader_;
  netlink::PhysicalLinkCache physical_;
  std::vector<netlink::LinkCounters> links_;
};

}  // namespace

std::shared_ptr<NetworkPlatform> makeSystemNetworkPlatform() { return std::make_shared<LinuxNetworkPlatform>(); }

}  // namespace kovra
