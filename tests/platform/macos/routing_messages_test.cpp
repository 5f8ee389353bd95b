#include "platform/macos/routing_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

namespace kovra {
namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
void put(Bytes& b, size_t at, T value) {
  std::memcpy(b.data() + at, &value, sizeof value);
}

// One interface-info-2 message as the kernel lays it out.
Bytes message(std::string_view name, uint64_t received, uint64_t sent, uint32_t mask = 0x10,
              std::vector<Bytes> preceding = {}, uint8_t type = 18, uint8_t family = 18) {
  Bytes b(160, 0);
  put<uint8_t>(b, 3, type);
  put<uint32_t>(b, 4, mask);
  put<uint64_t>(b, 96, received);
  put<uint64_t>(b, 104, sent);
  for (const auto& address : preceding) b.insert(b.end(), address.begin(), address.end());
  // Link-layer address record: length, family, index (2), type, name length, address and
  // selector lengths, then the name.
  Bytes link{static_cast<uint8_t>(8 + name.size()), family, 0, 0, 0, static_cast<uint8_t>(name.size()), 0, 0};
  link.insert(link.end(), name.begin(), name.end());
  while (link.size() % 4 != 0) link.push_back(0);
  b.insert(b.end(), link.begin(), link.end());
  put<uint16_t>(b, 0, static_cast<uint16_t>(b.size()));
  return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<NetInterfaceCounter> walk(const Bytes& buffer) {
  std::vector<NetInterfaceCounter> out{{interfaceKey("stale"), 1, 1}};
  routing::readCounters(buffer, out);
  return out;
}

TEST(RoutingMessages, CountsOnlyEnFollowedByDigits) {
  const auto buffer = concat({message("en0", 100, 10), message("utun3", 1, 1), message("lo0", 1, 1),
                              message("awdl0", 1, 1), message("bridge0", 1, 1), message("en", 1, 1),
                              message("enX", 1, 1), message("en12", 200, 20), message("en123456", 3, 3),
                              message("en1234567", 1, 1)});
  const auto counters = walk(buffer);
  ASSERT_EQ(counters.size(), 3u);
  EXPECT_EQ(counters[0], (NetInterfaceCounter{interfaceKey("en0"), 100, 10}));
  EXPECT_EQ(counters[1], (NetInterfaceCounter{interfaceKey("en12"), 200, 20}));
  EXPECT_EQ(counters[2].key, interfaceKey("en123456"));
  EXPECT_NE(interfaceKey("en1"), interfaceKey("en10"));
}

TEST(RoutingMessages, SkipsTheSocketAddressesNamedInTheMask) {
  // A destination of 16 bytes, a gateway of 6 (rounded to 8) and a netmask of length 0 (4 bytes).
  Bytes destination(16, 0);
  destination[0] = 16;
  Bytes gateway(8, 0);
  gateway[0] = 6;
  Bytes netmask(4, 0);
  const auto m = message("en3", 7, 8, 0x10 | 0x1 | 0x2 | 0x4, {destination, gateway, netmask});
  auto counters = walk(m);
  ASSERT_EQ(counters.size(), 1u);
  EXPECT_EQ(counters[0].received, 7u);
  // Without RTA_IFP there is no link address to read.
  EXPECT_TRUE(walk(message("en3", 7, 8, 0x0)).empty());
  // A mask that claims an address the message does not have runs off its end.
  EXPECT_TRUE(walk(message("en3", 7, 8, 0x10 | 0x8)).empty());
  // A link address of another family is not an interface name.
  EXPECT_TRUE(walk(message("en3", 7, 8, 0x10, {}, 18, 2)).empty());
}

TEST(RoutingMessages, SkipsForeignAndShortMessagesAndStopsAtBrokenLengths) {
  Bytes shortMessage(8, 0);
  put<uint16_t>(shortMessage, 0, 8);
  shortMessage[3] = 18;
  const auto buffer = concat({message("en1", 1, 0, 0x10, {}, 14), shortMessage, message("en2", 2, 0)});
  auto counters = walk(buffer);
  ASSERT_EQ(counters.size(), 1u);
  EXPECT_EQ(counters[0].key, interfaceKey("en2"));

  // A length below 4 ends the walk; so does one that runs past the end.
  Bytes zero(4, 0);
  EXPECT_TRUE(walk(concat({zero, message("en2", 2, 0)})).empty());
  auto tooLong = message("en4", 4, 0);
  put<uint16_t>(tooLong, 0, static_cast<uint16_t>(tooLong.size() + 4));
  EXPECT_EQ(walk(concat({message("en2", 2, 0), tooLong})).size(), 1u);
  // A name length that runs past the message is not read.
  auto overlong = message("en5", 5, 0);
  overlong[165] = 8;
  EXPECT_TRUE(walk(overlong).empty());
  EXPECT_TRUE(walk({}).empty());
}

}  // namespace
}  // namespace kovra
