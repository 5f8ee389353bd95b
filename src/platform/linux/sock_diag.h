#pragma once
// The Linux pieces behind readProcessTraffic: one NETLINK_SOCK_DIAG dump of the TCP sockets with
// their byte counters, and the map from socket inodes to the processes holding them.

#include <array>
#include <chrono>
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
  uint32_t uid = 0;  // the user the socket was made by
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

// How much one search for socket owners may cost before it gives up.
struct OwnerScanLimits {
  size_t maxDescriptors = 1'000'000;  // descriptor links read
  // Wall time, so that the tool ends well before the 2 s its caller gives it, however busy the
  // machine is.
  std::chrono::nanoseconds maxTime = std::chrono::milliseconds(1500);
};

struct OwnerScan {
  std::unordered_map<uint64_t, int32_t> owners;  // socket inode → pid
  size_t descriptorsRead = 0;
  size_t processesRead = 0;  // descriptor folders opened
  // False when a limit ended the search with sockets still unmatched: a process that was not
  // (or not wholly) read is missing, never listed with part of its sockets.
  bool complete = true;
};

// Finds the processes holding the `wanted` socket inodes (each with the uid of the user that made
// it) through the links under <procRoot>/<pid>/fd. Stops as soon as every wanted inode is
// matched. Processes running as a user that made one of the still unmatched sockets are read
// first, then the others; each group by the number of open descriptors (fewest first, where the
// kernel tells it), then by pid. The first holder of a socket in that order owns it. Unreadable
// processes are passed over.
OwnerScan findSocketOwners(const std::string& procRoot, const std::unordered_map<uint64_t, uint32_t>& wanted,
                           const OwnerScanLimits& limits = {});
// Socket inode → owning pid, with no user known for the sockets: every process in pid order, so an
// inode held by several processes goes to the smallest pid; no limits.
std::unordered_map<uint64_t, int32_t> socketOwners(const std::string& procRoot,
                                                   const std::unordered_set<uint64_t>& wanted);
// <procRoot>/<pid>/comm without its line end, made fit for the listing (listingName); empty if
// unreadable.
std::string processName(const std::string& procRoot, int32_t pid);

}  // namespace kovra::sockdiag
