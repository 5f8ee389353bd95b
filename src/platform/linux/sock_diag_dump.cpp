// One NETLINK_SOCK_DIAG dump per address family, read to its end.
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/linux/sock_diag.h"

namespace kovra::sockdiag {

namespace {

std::string callFailure(const std::string& call, int err) {
  return call + ": " + std::error_code(err, std::generic_category()).message();
}

class NetlinkSocket {
 public:
  NetlinkSocket() : fd_(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG)) {}
  ~NetlinkSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  NetlinkSocket(const NetlinkSocket&) = delete;
  NetlinkSocket& operator=(const NetlinkSocket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Reads one family's dump into `out`; returns 0 or the error number, with the failing call in `call`.
int dumpFamily(int fd, uint8_t family, uint32_t sequence, std::vector<Socket>& out, std::string& call) {
  std::vector<uint8_t> request = dumpRequest(family, sequence);
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  ssize_t sent;
  do {
    sent = ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) {
    call = "sendto(NETLINK_SOCK_DIAG)";
    return errno;
  }

  std::vector<uint8_t> buffer(64 * 1024);
  for (;;) {
    iovec iov{buffer.data(), buffer.size()};
    msghdr msg{};
    sockaddr_nl from{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    ssize_t got = ::recvmsg(fd, &msg, 0);
    if (got < 0 && errno == EINTR) continue;
    call = "recvmsg(NETLINK_SOCK_DIAG)";
    if (got < 0) return errno;
    if ((msg.msg_flags & MSG_TRUNC) != 0) return EMSGSIZE;
    if (got == 0) return EBADMSG;
    if (from.nl_pid != 0) continue;  // not from the kernel
    Batch batch = parseDatagram({buffer.data(), static_cast<size_t>(got)}, out);
    if (batch.error != 0) {
      call = "NETLINK_SOCK_DIAG";
      return batch.error;
    }
    if (batch.done) return 0;
  }
}

}  // namespace

Result<std::vector<Socket>, std::string> dumpTcpSockets() {
  NetlinkSocket sock;
  if (sock.fd() < 0) return Failure{callFailure("socket(NETLINK_SOCK_DIAG)", errno)};
  std::vector<Socket> sockets;
  std::string call;
  if (int err = dumpFamily(sock.fd(), AF_INET, 1, sockets, call); err != 0) return Failure{callFailure(call, err)};
  // A kernel without IPv6 has nothing to say about that family.
  if (int err = dumpFamily(sock.fd(), AF_INET6, 2, sockets, call);
      err != 0 && err != ENOENT && err != EAFNOSUPPORT) {
    return Failure{callFailure(call, err)};
  }
  return sockets;
}

}  // namespace kovra::sockdiag
