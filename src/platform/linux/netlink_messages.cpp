#include "platform/linux/netlink_messages.h"

#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cerrno>
#include <cstring>

namespace kovra::netlink {
namespace {

constexpr size_t align4(size_t n) { return (n + 3) & ~size_t{3}; }

template <class T>
T load(std::span<const uint8_t> bytes, size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof(T));
  return value;
}

// Walks the route attributes in `bytes`, calling `visit(type, value)` for each well-formed one.
template <class Visit>
void forEachAttribute(std::span<const uint8_t> bytes, Visit&& visit) {
  size_t offset = 0;
  while (bytes.size() - offset >= sizeof(rtattr)) {
    const auto attr = load<rtattr>(bytes, offset);
    if (attr.rta_len < sizeof(rtattr) || attr.rta_len > bytes.size() - offset) return;
    visit(static_cast<uint16_t>(attr.rta_type & NLA_TYPE_MASK),
          bytes.subspan(offset + align4(sizeof(rtattr)), attr.rta_len - align4(sizeof(rtattr))));
    const size_t step = align4(attr.rta_len);
    if (step >= bytes.size() - offset) return;
    offset += step;
  }
}

}  // namespace

std::optional<Message> nextMessage(std::span<const uint8_t> datagram, size_t& offset) {
  if (offset > datagram.size() || datagram.size() - offset < sizeof(nlmsghdr)) return std::nullopt;
  const auto header = load<nlmsghdr>(datagram, offset);
  if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size() - offset) return std::nullopt;
  Message m;
  m.type = header.nlmsg_type;
  m.flags = header.nlmsg_flags;
  m.seq = header.nlmsg_seq;
  m.pid = header.nlmsg_pid;
  m.payload = datagram.subspan(offset + sizeof(nlmsghdr), header.nlmsg_len - sizeof(nlmsghdr));
  const size_t step = align4(header.nlmsg_len);
  offset = step > datagram.size() - offset ? datagram.size() : offset + step;
  return m;
}

int errorCode(const Message& message) {
  if (message.payload.size() < sizeof(int)) return EPROTO;
  const int error = load<int>(message.payload, 0);
  if (error == 0) return 0;
  // Kernel errors are negative errno values; anything else is not a valid reply.
  return error < 0 && error > -4096 ? -error : EPROTO;
}

std::optional<Link> parseLink(const Message& message) {
  if (message.type != RTM_NEWLINK || message.payload.size() < sizeof(ifinfomsg)) return std::nullopt;
  const auto info = load<ifinfomsg>(message.payload, 0);
  Link link;
  link.index = info.ifi_index;
  link.type = info.ifi_type;
  link.flags = info.ifi_flags;
  static_assert(sizeof(ifinfomsg) % 4 == 0 && sizeof(rtmsg) % 4 == 0);
  forEachAttribute(message.payload.subspan(sizeof(ifinfomsg)),
                   [&](uint16_t type, std::span<const uint8_t> value) {
                     if (type == IFLA_IFNAME) {
                       const auto* chars = reinterpret_cast<const char*>(value.data());
                       link.name = std::string_view(chars, strnlen(chars, value.size()));
                     } else if (type == IFLA_STATS64 && value.size() >= 4 * sizeof(uint64_t)) {
                       // rx_packets, tx_packets, rx_bytes, tx_bytes lead the 64-bit statistics.
                       link.received = load<uint64_t>(value, 2 * sizeof(uint64_t));
                       link.sent = load<uint64_t>(value, 3 * sizeof(uint64_t));
                       link.hasStats = true;
                     }
                   });
  // Names are at most 15 bytes; anything else is not a name this program can key on.
  if (link.name.empty() || link.name.size() > kMaxNameLength) return std::nullopt;
  return link;
}

std::optional<Route> parseRoute(const Message& message) {
  if (message.type != RTM_NEWROUTE || message.payload.size() < sizeof(rtmsg)) return std::nullopt;
  const auto header = load<rtmsg>(message.payload, 0);
  Route route;
  route.family = header.rtm_family;
  route.type = header.rtm_type;
  route.flags = header.rtm_flags;
  forEachAttribute(message.payload.subspan(sizeof(rtmsg)),
                   [&](uint16_t type, std::span<const uint8_t> value) {
                     if (type == RTA_OIF && value.size() >= sizeof(int32_t)) route.outputInterface = load<int32_t>(value, 0);
                   });
  return route;
}

}  // namespace kovra::netlink
