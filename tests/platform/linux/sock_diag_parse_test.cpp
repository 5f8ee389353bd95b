// Replies of the socket diagnostics netlink family, built byte by byte.
#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>

#include <gtest/gtest.h>

#include "platform/linux/sock_diag.h"

namespace kovra::sockdiag {
namespace {

size_t align4(size_t n) { return (n + 3) & ~size_t{3}; }

void append(std::vector<uint8_t>& out, const void* p, size_t len) {
  const auto* b = static_cast<const uint8_t*>(p);
  out.insert(out.end(), b, b + len);
  out.resize(align4(out.size()));
}

std::vector<uint8_t> message(uint16_t type, const std::vector<uint8_t>& payload) {
  nlmsghdr h{};
  h.nlmsg_len = static_cast<uint32_t>(sizeof h + payload.size());
  h.nlmsg_type = type;
  std::vector<uint8_t> out;
  append(out, &h, sizeof h);
  out.insert(out.end(), payload.begin(), payload.end());
  out.resize(align4(out.size()));
  return out;
}

std::vector<uint8_t> socketPayload(uint8_t family, const char* src, const char* dst, uint32_t inode,
                                   std::optional<size_t> infoLength = std::nullopt, const tcp_info& info = {}) {
  inet_diag_msg m{};
  m.idiag_family = family;
  m.idiag_state = 1;
  inet_pton(family, src, m.id.idiag_src);
  inet_pton(family, dst, m.id.idiag_dst);
  m.idiag_inode = inode;
  std::vector<uint8_t> payload;
  append(payload, &m, sizeof m);
  if (infoLength) {
    rtattr a{};
    a.rta_len = static_cast<unsigned short>(RTA_LENGTH(*infoLength));
    a.rta_type = INET_DIAG_INFO;
    append(payload, &a, sizeof a);
    std::vector<uint8_t> body(*infoLength);
    std::memcpy(body.data(), &info, std::min(*infoLength, sizeof info));
    append(payload, body.data(), body.size());
  }
  return payload;
}

std::vector<uint8_t> intPayload(int value) {
  std::vector<uint8_t> p(sizeof(nlmsgerr), 0);
  std::memcpy(p.data(), &value, sizeof value);
  return p;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

tcp_info counters(uint64_t received, uint64_t sent, uint64_t retrans, uint64_t acked) {
  tcp_info t{};
  t.tcpi_bytes_received = received;
  t.tcpi_bytes_sent = sent;
  t.tcpi_bytes_retrans = retrans;
  t.tcpi_bytes_acked = acked;
  return t;
}

TEST(SockDiagParse, SocketsOfBothFamiliesAndTheEnd) {
  auto data = concat({message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET, "10.0.0.1", "93.184.216.34", 42,
                                                                 sizeof(tcp_info), counters(1000, 5000, 200, 4000))),
                      message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET6, "::1", "2001:db8::7", 43)),
                      message(NLMSG_DONE, intPayload(0))});
  std::vector<Socket> out;
  Batch b = parseDatagram(data, out);
  EXPECT_TRUE(b.done);
  EXPECT_EQ(b.error, 0);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].inode, 42u);
  EXPECT_TRUE(out[0].hasCounters);
  EXPECT_EQ(out[0].bytesReceived, 1000u);
  EXPECT_EQ(out[0].bytesSent, 4800u);  // retransmissions are not traffic twice
  EXPECT_EQ(out[0].remote, ipv4Address(inet_addr("93.184.216.34")));
  EXPECT_FALSE(isLoopback(out[0].local));
  EXPECT_FALSE(out[1].hasCounters);
  EXPECT_TRUE(isLoopback(out[1].local));
  EXPECT_FALSE(isLoopback(out[1].remote));
}

TEST(SockDiagParse, ShorterCountersOfOlderKernels) {
  std::vector<Socket> out;
  const size_t upToReceived = offsetof(tcp_info, tcpi_bytes_received) + 8;
  const size_t beforeReceived = offsetof(tcp_info, tcpi_bytes_received);
  auto data = concat({message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET, "10.0.0.1", "10.0.0.2", 1, upToReceived,
                                                                 counters(10, 99, 0, 7))),
                      message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET, "10.0.0.1", "10.0.0.2", 2, beforeReceived,
                                                                 counters(10, 99, 0, 7))),
                      message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET, "10.0.0.1", "10.0.0.2", 3,
                                                                 sizeof(tcp_info), counters(0, 5, 9, 0)))});
  Batch b = parseDatagram(data, out);
  EXPECT_FALSE(b.done);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_TRUE(out[0].hasCounters);
  EXPECT_EQ(out[0].bytesReceived, 10u);
  EXPECT_EQ(out[0].bytesSent, 7u);  // only what was acknowledged is known
  EXPECT_FALSE(out[1].hasCounters);
  EXPECT_EQ(out[1].bytesSent, 0u);
  EXPECT_EQ(out[2].bytesSent, 0u);  // more retransmitted than sent never wraps
}

TEST(SockDiagParse, MalformedRepliesNeverReadPastTheData) {
  std::vector<Socket> out;
  auto good = message(SOCK_DIAG_BY_FAMILY, socketPayload(AF_INET, "10.0.0.1", "10.0.0.2", 5, sizeof(tcp_info)));

  auto cut = good;
  cut.resize(cut.size() - 8);  // the header claims more than arrived
  EXPECT_EQ(parseDatagram(cut, out).error, EBADMSG);

  auto tiny = good;
  uint32_t len = 4;
  std::memcpy(tiny.data(), &len, sizeof len);
  EXPECT_EQ(parseDatagram(tiny, out).error, EBADMSG);

  EXPECT_EQ(parseDatagram(std::span(good.data(), 10), out).error, 0);  // not even a header
  EXPECT_EQ(parseDatagram(message(NLMSG_ERROR, intPayload(-EPERM)), out).error, EPERM);
  EXPECT_EQ(parseDatagram(message(NLMSG_ERROR, {}), out).error, EBADMSG);
  EXPECT_EQ(parseDatagram(message(NLMSG_DONE, intPayload(-EINTR)), out).error, EINTR);

  // An acknowledgement, a short socket record and an attribute running past its record.
  auto shortRecord = message(SOCK_DIAG_BY_FAMILY, std::vector<uint8_t>(10, 0));
  auto longAttr = good;
  rtattr a{};
  std::memcpy(&a, longAttr.data() + sizeof(nlmsghdr) + align4(sizeof(inet_diag_msg)), sizeof a);
  a.rta_len = 0xfff0;
  std::memcpy(longAttr.data() + sizeof(nlmsghdr) + align4(sizeof(inet_diag_msg)), &a, sizeof a);
  out.clear();
  Batch b = parseDatagram(concat({message(NLMSG_ERROR, intPayload(0)), shortRecord, longAttr}), out);
  EXPECT_EQ(b.error, 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_FALSE(out[0].hasCounters);
  EXPECT_EQ(out[0].inode, 5u);
}

TEST(SockDiagParse, AddressClasses) {
  Address v6{};
  EXPECT_TRUE(isUnspecified(v6));
  EXPECT_TRUE(isUnspecified(ipv4Address(0)));
  EXPECT_TRUE(isLoopback(ipv4Address(inet_addr("127.8.9.10"))));
  EXPECT_FALSE(isLoopback(ipv4Address(inet_addr("128.0.0.1"))));
  v6[15] = 1;
  EXPECT_TRUE(isLoopback(v6));
  EXPECT_FALSE(isUnspecified(v6));
}

TEST(SockDiagParse, DumpRequestAsksForCountersOfEveryNonListeningTcpSocket) {
  auto bytes = dumpRequest(AF_INET6, 7);
  ASSERT_EQ(bytes.size(), sizeof(nlmsghdr) + sizeof(inet_diag_req_v2));
  nlmsghdr h{};
  inet_diag_req_v2 r{};
  std::memcpy(&h, bytes.data(), sizeof h);
  std::memcpy(&r, bytes.data() + sizeof h, sizeof r);
  EXPECT_EQ(h.nlmsg_len, bytes.size());
  EXPECT_EQ(h.nlmsg_flags, NLM_F_REQUEST | NLM_F_DUMP);
  EXPECT_EQ(h.nlmsg_seq, 7u);
  EXPECT_EQ(r.sdiag_family, AF_INET6);
  EXPECT_EQ(r.sdiag_protocol, IPPROTO_TCP);
  EXPECT_EQ(r.idiag_ext, 1u << (INET_DIAG_INFO - 1));
  EXPECT_EQ(r.idiag_states & (1u << 10), 0u);
  EXPECT_NE(r.idiag_states & (1u << 1), 0u);
}

}  // namespace
}  // namespace kovra::sockdiag
