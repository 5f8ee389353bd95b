#include "platform/linux/netlink_messages.h"

#include <gtest/gtest.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace kovra::netlink {
namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
void append(Bytes& b, const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  b.insert(b.end(), p, p + sizeof value);
}

void pad(Bytes& b) {
  while (b.size() % 4 != 0) b.push_back(0);
}

void attribute(Bytes& b, uint16_t type, const void* data, size_t length) {
  rtattr a{static_cast<uint16_t>(sizeof(rtattr) + length), type};
  append(b, a);
  const auto* p = static_cast<const uint8_t*>(data);
  b.insert(b.end(), p, p + length);
  pad(b);
}

// A whole netlink message around `body`.
Bytes message(uint16_t type, uint32_t seq, const Bytes& body) {
  nlmsghdr h{};
  h.nlmsg_len = static_cast<uint32_t>(sizeof h + body.size());
  h.nlmsg_type = type;
  h.nlmsg_seq = seq;
  Bytes b;
  append(b, h);
  b.insert(b.end(), body.begin(), body.end());
  pad(b);
  return b;
}

Bytes linkBody(int index, const std::string& name, uint64_t rx, uint64_t tx, bool stats = true) {
  ifinfomsg info{};
  info.ifi_index = index;
  info.ifi_type = ARPHRD_ETHER;
  info.ifi_flags = 0x1;
  Bytes b;
  append(b, info);
  uint32_t mtu = 1500;
  attribute(b, IFLA_MTU, &mtu, sizeof mtu);
  attribute(b, IFLA_IFNAME, name.c_str(), name.size() + 1);
  if (stats) {
    rtnl_link_stats64 s{};
    s.rx_bytes = rx;
    s.tx_bytes = tx;
    s.rx_packets = 1;
    attribute(b, IFLA_STATS64, &s, sizeof s);
  }
  return b;
}

std::vector<Message> all(const Bytes& datagram) {
  std::vector<Message> out;
  size_t offset = 0;
  while (auto m = nextMessage(datagram, offset)) out.push_back(*m);
  return out;
}

TEST(NetlinkMessages, ReadsLinksFromADumpDatagram) {
  Bytes datagram = message(RTM_NEWLINK, 7, linkBody(2, "enp0s31f6", 123456789012345ull, 42));
  const Bytes second = message(RTM_NEWLINK, 7, linkBody(3, "wlan0", 5, 6, false));
  datagram.insert(datagram.end(), second.begin(), second.end());
  const Bytes done = message(NLMSG_DONE, 7, Bytes(4, 0));
  datagram.insert(datagram.end(), done.begin(), done.end());

  const auto messages = all(datagram);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2].type, NLMSG_DONE);
  EXPECT_EQ(messages[0].seq, 7u);
  const auto first = parseLink(messages[0]);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->index, 2);
  EXPECT_EQ(first->type, ARPHRD_ETHER);
  EXPECT_EQ(first->name, "enp0s31f6");
  EXPECT_TRUE(first->hasStats);
  EXPECT_EQ(first->received, 123456789012345ull);
  EXPECT_EQ(first->sent, 42u);
  const auto noStats = parseLink(messages[1]);
  ASSERT_TRUE(noStats.has_value());
  EXPECT_FALSE(noStats->hasStats);
  EXPECT_EQ(noStats->received, 0u);
  EXPECT_FALSE(parseLink(messages[2]).has_value());
}

TEST(NetlinkMessages, RejectsMalformedLinks) {
  // No name, a name of 16 bytes, a truncated body, an attribute longer than the message.
  EXPECT_FALSE(parseLink(all(message(RTM_NEWLINK, 1, Bytes(sizeof(ifinfomsg), 0)))[0]).has_value());
  EXPECT_FALSE(parseLink(all(message(RTM_NEWLINK, 1, linkBody(1, "sixteen-bytes-xx", 0, 0)))[0]).has_value());
  EXPECT_FALSE(parseLink(all(message(RTM_NEWLINK, 1, Bytes(8, 0)))[0]).has_value());
  Bytes body = linkBody(1, "eth0", 1, 2);
  rtattr bogus{200, IFLA_IFNAME};
  append(body, bogus);
  const Bytes brokenDatagram = message(RTM_NEWLINK, 1, body);  // the name points into it
  const auto broken = parseLink(all(brokenDatagram)[0]);
  ASSERT_TRUE(broken.has_value());  // the attributes before the broken one still count
  EXPECT_EQ(broken->name, "eth0");
  // A statistics attribute too short for the byte counters is ignored.
  Bytes shortStats = linkBody(1, "eth0", 0, 0, false);
  uint64_t two[2] = {1, 2};
  attribute(shortStats, IFLA_STATS64, two, sizeof two);
  EXPECT_FALSE(parseLink(all(message(RTM_NEWLINK, 1, shortStats))[0])->hasStats);
}

TEST(NetlinkMessages, StopsAtABrokenHeader) {
  Bytes datagram = message(RTM_NEWLINK, 1, linkBody(1, "lo", 0, 0));
  Bytes tail = message(RTM_NEWLINK, 1, linkBody(2, "eth0", 0, 0));
  uint32_t tooLong = static_cast<uint32_t>(tail.size() + 1);
  std::memcpy(tail.data(), &tooLong, sizeof tooLong);
  datagram.insert(datagram.end(), tail.begin(), tail.end());
  EXPECT_EQ(all(datagram).size(), 1u);
  Bytes tiny(sizeof(nlmsghdr), 0);  // length 0 < header
  EXPECT_TRUE(all(tiny).empty());
  EXPECT_TRUE(all({}).empty());
}

TEST(NetlinkMessages, DecodesErrorsAndRoutes) {
  nlmsgerr error{};
  error.error = -ENETUNREACH;
  Bytes body;
  append(body, error);
  EXPECT_EQ(errorCode(all(message(NLMSG_ERROR, 1, body))[0]), ENETUNREACH);
  error.error = 0;
  body.clear();
  append(body, error);
  EXPECT_EQ(errorCode(all(message(NLMSG_ERROR, 1, body))[0]), 0);
  error.error = 5;  // not a kernel error value
  body.clear();
  append(body, error);
  EXPECT_EQ(errorCode(all(message(NLMSG_ERROR, 1, body))[0]), EPROTO);
  EXPECT_EQ(errorCode(all(message(NLMSG_ERROR, 1, Bytes{}))[0]), EPROTO);

  rtmsg route{};
  route.rtm_family = 2;
  route.rtm_type = RTN_UNICAST;
  route.rtm_flags = RTNH_F_LINKDOWN;
  Bytes routeBody;
  append(routeBody, route);
  uint8_t gateway[4] = {192, 0, 2, 1};
  attribute(routeBody, RTA_GATEWAY, gateway, sizeof gateway);
  int32_t oif = 4;
  attribute(routeBody, RTA_OIF, &oif, sizeof oif);
  const auto parsed = parseRoute(all(message(RTM_NEWROUTE, 1, routeBody))[0]);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->outputInterface, 4);
  EXPECT_EQ(parsed->type, RTN_UNICAST);
  EXPECT_EQ(parsed->flags, static_cast<uint32_t>(RTNH_F_LINKDOWN));
  EXPECT_FALSE(parseRoute(all(message(RTM_NEWLINK, 1, routeBody))[0]).has_value());
}

}  // namespace
}  // namespace kovra::netlink
