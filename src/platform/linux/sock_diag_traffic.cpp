// Per-process traffic on Linux: the byte counters of every external TCP connection, charged to the
// process that holds the socket.
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <map>
#include <set>

#include "platform/linux/sock_diag.h"
#include "platform/process_traffic.h"

namespace kovra {

namespace {

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// The addresses of this host's own interfaces: a connection to one of them never leaves the host.
std::set<sockdiag::Address> hostAddresses() {
  std::set<sockdiag::Address> result;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return result;
  for (ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr) continue;
    if (i->ifa_addr->sa_family == AF_INET) {
      sockaddr_in in{};
      std::memcpy(&in, i->ifa_addr, sizeof in);
      result.insert(sockdiag::ipv4Address(in.sin_addr.s_addr));
    } else if (i->ifa_addr->sa_family == AF_INET6) {
      sockaddr_in6 in6{};
      std::memcpy(&in6, i->ifa_addr, sizeof in6);
      sockdiag::Address a{};
      std::memcpy(a.data(), &in6.sin6_addr, a.size());
      result.insert(a);
    }
  }
  ::freeifaddrs(list);
  return result;
}

}  // namespace

Result<TrafficReading, std::string> readProcessTraffic() {
  auto sockets = sockdiag::dumpTcpSockets();
  if (!sockets) return Failure{sockets.error()};
  const std::set<sockdiag::Address> local = hostAddresses();

  std::unordered_map<uint64_t, const sockdiag::Socket*> external;
  std::unordered_map<uint64_t, uint32_t> wanted;
  for (const sockdiag::Socket& s : *sockets) {
    if (s.inode == 0 || sockdiag::isUnspecified(s.remote)) continue;
    if (sockdiag::isLoopback(s.local) || sockdiag::isLoopback(s.remote) || local.contains(s.remote)) continue;
    if (external.try_emplace(s.inode, &s).second) wanted.emplace(s.inode, s.uid);
  }

  const sockdiag::OwnerScan scan = sockdiag::findSocketOwners("/proc", wanted);
  std::map<int32_t, ProcessTraffic> byPid;
  for (const auto& [inode, pid] : scan.owners) {
    const sockdiag::Socket& s = *external.at(inode);
    ProcessTraffic& t = byPid[pid];
    t.pid = pid;
    t.bytesReceived = saturatingAdd(t.bytesReceived, s.bytesReceived);
    t.bytesSent = saturatingAdd(t.bytesSent, s.bytesSent);
  }
  TrafficReading result;
  result.partial = !scan.complete;
  result.processes.reserve(byPid.size());
  for (auto& [pid, t] : byPid) {
    t.name = sockdiag::processName("/proc", pid);
    result.processes.push_back(std::move(t));
  }
  return result;
}

}  // namespace kovra
