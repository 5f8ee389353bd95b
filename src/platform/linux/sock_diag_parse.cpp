// Reading NETLINK_SOCK_DIAG replies. Every structure is copied out of the byte buffer before use,
// so a short, odd-sized or misaligned reply is never read out of bounds.
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/linux/sock_diag.h"

namespace kovra::sockdiag {

namespace {

template <class T>
T copyOut(const uint8_t* p, size_t available) {
  T value{};
  std::memcpy(&value, p, std::min(sizeof(T), available));
  return value;
}

constexpr unsigned kTcpListen = 10;  // the listening state's number in the kernel

constexpr size_t align4(size_t n) { return (n + 3) & ~size_t{3}; }

constexpr size_t fieldEnd(size_t offset) { return offset + sizeof(uint64_t); }

void readCounters(const uint8_t* p, size_t len, Socket& s) {
  const auto info = copyOut<tcp_info>(p, len);
  if (len >= fieldEnd(offsetof(tcp_info, tcpi_bytes_received))) {
    s.hasCounters = true;
    s.bytesReceived = info.tcpi_bytes_received;
    // Retransmitted bytes were sent twice but carried once; older kernels only know what was acked.
    if (len >= fieldEnd(offsetof(tcp_info, tcpi_bytes_retrans))) {
      s.bytesSent = info.tcpi_bytes_sent > info.tcpi_bytes_retrans ? info.tcpi_bytes_sent - info.tcpi_bytes_retrans : 0;
    } else {
      s.bytesSent = info.tcpi_bytes_acked;
    }
  }
}

Address addressOf(uint8_t family, const __be32 (&words)[4]) {
  if (family == AF_INET) return ipv4Address(words[0]);
  Address a{};
  std::memcpy(a.data(), words, a.size());
  return a;
}

void parseSocket(const uint8_t* p, size_t len, std::vector<Socket>& out) {
  if (len < sizeof(inet_diag_msg)) return;
  const auto msg = copyOut<inet_diag_msg>(p, len);
  if (msg.idiag_family != AF_INET && msg.idiag_family != AF_INET6) return;
  Socket s;
  s.family = msg.idiag_family;
  s.state = msg.idiag_state;
  s.local = addressOf(msg.idiag_family, msg.id.idiag_src);
  s.remote = addressOf(msg.idiag_family, msg.id.idiag_dst);
  s.inode = msg.idiag_inode;
  s.uid = msg.idiag_uid;
  for (size_t off = align4(sizeof(inet_diag_msg)); off + sizeof(rtattr) <= len;) {
    const auto attr = copyOut<rtattr>(p + off, len - off);
    if (attr.rta_len < sizeof(rtattr) || attr.rta_len > len - off) break;
    if ((attr.rta_type & NLA_TYPE_MASK) == INET_DIAG_INFO) {
      readCounters(p + off + align4(sizeof(rtattr)), attr.rta_len - std::min<size_t>(attr.rta_len, align4(sizeof(rtattr))), s);
    }
    off += align4(attr.rta_len);
  }
  out.push_back(s);
}

}  // namespace

Address ipv4Address(uint32_t networkOrder) {
  Address a{};
  a[10] = a[11] = 0xff;
  std::memcpy(a.data() + 12, &networkOrder, 4);
  return a;
}

bool isLoopback(const Address& a) {
  static const Address v6Loopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  static const uint8_t v4Prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (a == v6Loopback) return true;
  return std::memcmp(a.data(), v4Prefix, sizeof v4Prefix) == 0 && a[12] == 127;
}

bool isUnspecified(const Address& a) {
  static const uint8_t v4Prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (a == Address{}) return true;
  return std::memcmp(a.data(), v4Prefix, sizeof v4Prefix) == 0 && a[12] == 0 && a[13] == 0 && a[14] == 0 &&
         a[15] == 0;
}

Batch parseDatagram(std::span<const uint8_t> data, std::vector<Socket>& out) {
  Batch batch;
  for (size_t off = 0; off + sizeof(nlmsghdr) <= data.size();) {
    const auto header = copyOut<nlmsghdr>(data.data() + off, data.size() - off);
    if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > data.size() - off) {
      batch.error = EBADMSG;
      return batch;
    }
    const uint8_t* payload = data.data() + off + align4(sizeof(nlmsghdr));
    const size_t payloadLen = header.nlmsg_len - std::min<size_t>(header.nlmsg_len, align4(sizeof(nlmsghdr)));
    switch (header.nlmsg_type) {
      case NLMSG_DONE: {
        batch.done = true;
        if (payloadLen >= sizeof(int)) {
          int status = copyOut<int>(payload, payloadLen);
          if (status < 0) batch.error = status == INT32_MIN ? EBADMSG : -status;
        }
        return batch;
      }
      case NLMSG_ERROR: {
        if (payloadLen < sizeof(int)) {
          batch.error = EBADMSG;
          return batch;
        }
        int status = copyOut<int>(payload, payloadLen);
        if (status != 0) {
          batch.error = status < 0 && status != INT32_MIN ? -status : EBADMSG;
          return batch;
        }
        break;  // an acknowledgement
      }
      case SOCK_DIAG_BY_FAMILY:
        parseSocket(payload, payloadLen, out);
        break;
      default:
        break;
    }
    size_t step = align4(header.nlmsg_len);
    if (step > data.size() - off) break;
    off += step;
  }
  return batch;
}

std::vector<uint8_t> dumpRequest(uint8_t family, uint32_t sequence) {
  struct {
    nlmsghdr header;
    inet_diag_req_v2 request;
  } message{};
  message.header.nlmsg_len = sizeof(message);
  message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  message.header.nlmsg_seq = sequence;
  message.request.sdiag_family = family;
  message.request.sdiag_protocol = IPPROTO_TCP;
  message.request.idiag_ext = 1u << (INET_DIAG_INFO - 1);
  message.request.idiag_states = ~(1u << kTcpListen);
  std::vector<uint8_t> bytes(sizeof(message));
  std::memcpy(bytes.data(), &message, sizeof(message));
  return bytes;
}

}  // namespace kovra::sockdiag
