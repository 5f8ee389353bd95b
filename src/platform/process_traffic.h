#pragma once
// Cumulative network bytes per process, as the per-process traffic tool reports them.

#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"

namespace kovra {

struct ProcessTraffic {
  int32_t pid = 0;
  std::string name;            // the kernel's short name of the process, control bytes replaced
  uint64_t bytesReceived = 0;  // summed over the process's open external TCP connections
  uint64_t bytesSent = 0;
  bool operator==(const ProcessTraffic&) const = default;
};

// Every process that owns an open TCP connection to another host, in pid order, with the byte
// counters of those connections. Loopback traffic is left out. Connections owned by processes
// this program may not inspect are not counted. Fails with the failing call and its error.
Result<std::vector<ProcessTraffic>, std::string> readProcessTraffic();

}  // namespace kovra
