#include "platform/macos/routing_messages.h"

#include <cstring>

namespace kovra::routing {
namespace {

template <class T>
T load(std::span<const uint8_t> buffer, size_t at) {
  T value;
  std::memcpy(&value, buffer.data() + at, sizeof(T));
  return value;
}

// A socket address takes its length byte rounded up to four, or four bytes when that is 0.
size_t roundedLength(uint8_t length) { return length == 0 ? 4 : (static_cast<size_t>(length) + 3) & ~size_t{3}; }

}  // namespace

std::optional<InterfaceKey> physicalInterfaceKey(std::span<const uint8_t> buffer, size_t start, size_t end) {
  if (end > buffer.size() || start > end || end - start < kHeaderSize) return std::nullopt;
  const auto mask = load<uint32_t>(buffer, start + 4);
  if ((mask & kAddressMaskInterface) == 0) return std::nullopt;

  size_t p = start + kHeaderSize;
  for (uint32_t bit : {0x1u, 0x2u, 0x4u, 0x8u}) {
    if ((mask & bit) == 0) continue;
    if (p >= end) return std::nullopt;
    p += roundedLength(buffer[p]);
  }
  if (p > end || end - p < 8) return std::nullopt;
  if (buffer[p + 1] != kLinkFamily) return std::nullopt;
  const size_t n = buffer[p + 5];
  if (n < 3 || n > 8 || end - p - 8 < n) return std::nullopt;

  const uint8_t* name = buffer.data() + p + 8;
  if (name[0] != 'e' || name[1] != 'n') return std::nullopt;
  for (size_t i = 2; i < n; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
  }
  InterfaceKey key;
  for (size_t i = 0; i < n; ++i) key.low |= static_cast<uint64_t>(name[i]) << (8 * i);
  return key;
}

void readCounters(std::span<const uint8_t> buffer, std::vector<NetInterfaceCounter>& current) {
  current.clear();
  const size_t length = buffer.size();
  size_t pos = 0;
  while (pos + 4 <= length) {
    const size_t msgLen = load<uint16_t>(buffer, pos);
    if (msgLen < 4 || msgLen > length - pos) break;
    if (msgLen >= kHeaderSize && buffer[pos + 3] == kInterfaceInfo2) {
      if (auto key = physicalInterfaceKey(buffer, pos, pos + msgLen)) {
        current.push_back({*key, load<uint64_t>(buffer, pos + kReceivedOffset), load<uint64_t>(buffer, pos + kSentOffset)});
      }
    }
    pos += msgLen;
  }
}

}  // namespace kovra::routing
