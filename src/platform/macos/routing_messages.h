#pragma once
// The walk over a routing-socket interface list of the interface-info-2 kind: a run of
// messages, each with a 160-byte header (length, type, address mask, 64-bit byte counters)
// followed by socket addresses, the link-layer address last. Pure logic over bytes in host byte
// order, so it runs and is tested anywhere.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/network.h"

namespace kovra::routing {

inline constexpr size_t kHeaderSize = 160;
inline constexpr uint8_t kInterfaceInfo2 = 18;  // message type
inline constexpr uint8_t kLinkFamily = 18;      // family of a link-layer socket address
inline constexpr size_t kReceivedOffset = 96;
inline constexpr size_t kSentOffset = 104;
inline constexpr uint32_t kAddressMaskInterface = 0x10;

// The key of the message in bytes [start, end) of `buffer` when it describes a physical
// interface: its link address names "en" followed by one to six digits. Absent otherwise.
std::optional<InterfaceKey> physicalInterfaceKey(std::span<const uint8_t> buffer, size_t start, size_t end);

// Replaces the contents of `current` (keeping its storage) with the counters of every physical
// interface in `buffer` (the valid bytes of one list). Stops at the first message whose length is
// below 4 or runs past the end; skips messages of another type or shorter than the header.
void readCounters(std::span<const uint8_t> buffer, std::vector<NetInterfaceCounter>& current);

}  // namespace kovra::routing
