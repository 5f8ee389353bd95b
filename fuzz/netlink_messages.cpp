// Feeds arbitrary bytes to the rtnetlink reply walk and the link and route decoders, as a
// received datagram would reach them.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/linux/netlink_links.h"
#include "platform/linux/netlink_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> datagram(data, size);
  size_t offset = 0;
  uint64_t sink = 0;
  while (auto message = kovra::netlink::nextMessage(datagram, offset)) {
    sink += static_cast<uint64_t>(kovra::netlink::errorCode(*message));
    if (auto link = kovra::netlink::parseLink(*message)) {
      const auto counters = kovra::netlink::LinkCounters::from(*link);
      sink += counters.received + counters.sent + counters.name().size();
    }
    if (auto route = kovra::netlink::parseRoute(*message)) sink += static_cast<uint64_t>(route->outputInterface);
  }
  // Keeps the decoding from being optimised away.
  asm volatile("" : : "g"(sink) : "memory");
  return 0;
}
