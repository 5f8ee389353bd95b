#pragma once
// Cumulative network bytes per process: the byte counters of each process's open connections.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace kovra {

struct ProcessTraffic {
  int32_t pid = 0;
  std::string name;            // the kernel's short name of the process, passed through listingName
  uint64_t bytesReceived = 0;  // summed over the process's open external TCP connections
  uint64_t bytesSent = 0;
  bool operator==(const ProcessTraffic&) const = default;
};

struct TrafficReading {
  std::vector<ProcessTraffic> processes;
  // The search for the processes holding the sockets stopped at its limit: some processes that
  // own connections may be missing (none is listed with only part of its connections).
  bool partial = false;
};

// Every process that owns an open TCP connection to another host, in pid order, with the byte
// counters of those connections. Loopback traffic is left out. Connections owned by processes
// this program may not inspect are not counted. Fails with the failing call and its error.
Result<TrafficReading, std::string> readProcessTraffic();

// A process name as the app list may show it: valid UTF-8 in which every control character (C0,
// DEL, C1), line or paragraph separator (U+2028, U+2029) and comma is replaced by "?".
std::string listingName(std::string_view raw);

}  // namespace kovra
