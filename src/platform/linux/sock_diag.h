#pragma once
// The Linux pieces behind readProcessTraffic: one NETLINK_SOCK_DIAG dump of the TCP sockets with
// their byte counters, and the map from socket inodes to the processes holding them.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/result.h"

namespace kovra::sockdiag {

// Addresses are kept in IPv6 form; IPv4 ones as ::ffff:a.b.c.d.
using Address = std::array<uint8_t, 16>;

struct Socket {
  uint8_t family = 0;  // AF_INET or AF_INET6
  uint8_t state = 0;   // TCP state number
  Address local{};
  Address remote{};
  uint64_t inode = 0;
  bool hasCounters = false;  // the reply carried the counters this kernel knows
  uint64_t bytesReceived = 0;
  uint64_t bytesSent = 0;  // sent minus retransmitted, where the kernel reports both
  bool operator==(const Socket&) const = default;
};

// What one datagram of a dump reply said about the dump itself.
struct Batch {
  bool done = false;  // the end-of-dump message was seen
  int error = 0;      // an error number the kernel answered with, or EBADMSG for a malformed reply
};

// Parses one datagram, appending every socket it describes to `out`. Never reads past `data`.
Batch parseDatagram(std::span<const uint8_t> data, std::vector<Socket>& out);

// Builds the dump request for one address family (the bytes to send).
std::vector<uint8_t> dumpRequest(uint8_t family, uint32_t sequence);

// All TCP sockets of this network namespace, both address families, listeners left out.
Result<std::vector<Socket>, std::string> dumpTcpSockets();

bool isLoopback(const Address& a);
bool isUnspecified(const Address& a);
Address ipv4Address(uint32_t networkOrder);

// Socket inode → owning pid, read from <procRoot>/<pid>/fd; only the inodes in `wanted`. An inode
// held by several processes goes to the smallest pid. Unreadable processes are passed over.
std::unordered_map<uint64_t, int32_t> socketOwners(const std::string& procRoot,
                                                   const std::unordered_set<uint64_t>& wanted);
// <procRoot>/<pid>/comm without its line end, control bytes replaced by "?"; empty if unreadable.
std::string processName(const std::string& procRoot, int32_t pid);

}  // namespace kovra::sockdiag
