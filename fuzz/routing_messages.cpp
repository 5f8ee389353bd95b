// Feeds arbitrary bytes to the walk over a routing-socket interface list.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/macos/routing_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> buffer(data, size);
  static std::vector<kovra::NetInterfaceCounter> counters;
  kovra::routing::readCounters(buffer, counters);
  // Any window of the buffer, including ones that do not start at a message.
  if (size >= 2) {
    const size_t start = data[0] % size;
    const size_t end = start + (static_cast<size_t>(data[1]) << 2);
    (void)kovra::routing::physicalInterfaceKey(buffer, start, end);
    (void)kovra::routing::physicalInterfaceKey(buffer, start, end < size ? end : size);
  }
  return 0;
}
