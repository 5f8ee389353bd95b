#pragma once
// Reading rtnetlink replies: the walk over the messages of one received datagram and the
// decoding of link (RTM_NEWLINK) and route (RTM_NEWROUTE) messages. Pure functions over bytes,
// so fixtures and the fuzzer can feed them; nothing here allocates.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kovra::netlink {

// One message of a datagram; `payload` follows the 16-byte netlink header.
struct Message {
  uint16_t type = 0;
  uint16_t flags = 0;
  uint32_t seq = 0;
  uint32_t pid = 0;
  std::span<const uint8_t> payload;
};

// The message at `offset`, advancing `offset` past it (aligned to 4). Absent at the end of the
// datagram or when the header is malformed (length below the header or past the end).
std::optional<Message> nextMessage(std::span<const uint8_t> datagram, size_t& offset);

// For an NLMSG_ERROR message: the error as a positive errno, 0 for an acknowledgement; a
// truncated error message counts as EPROTO.
int errorCode(const Message& message);

inline constexpr size_t kMaxNameLength = 15;

// A link as reported by RTM_NEWLINK. `name` points into the message.
struct Link {
  int32_t index = 0;
  uint16_t type = 0;   // ARPHRD_*
  uint32_t flags = 0;  // IFF_*
  std::string_view name;
  bool hasStats = false;
  uint64_t received = 0;  // rx_bytes of the 64-bit statistics
  uint64_t sent = 0;      // tx_bytes
};

// Decodes an RTM_NEWLINK message; absent for another type or a malformed body. A link without
// a name of 1 to 15 bytes is absent too (it cannot be keyed).
std::optional<Link> parseLink(const Message& message);

// The parts of an RTM_NEWROUTE reply the path resolution needs.
struct Route {
  uint8_t family = 0;
  uint8_t type = 0;    // RTN_*
  uint32_t flags = 0;  // RTNH_F_* / RTM_F_*
  int32_t outputInterface = 0;  // RTA_OIF, 0 when absent
};

std::optional<Route> parseRoute(const Message& message);

}  // namespace kovra::netlink
