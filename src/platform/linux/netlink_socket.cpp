#include "platform/linux/netlink_socket.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kovra::netlink {

Socket::~Socket() { close(); }

Socket::Socket(Socket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), sequence_(other.sequence_) {}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    sequence_ = other.sequence_;
  }
  return *this;
}

int Socket::open(uint32_t groups, int receiveTimeoutMs) {
  close();
  const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (fd < 0) return errno;
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = groups;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int code = errno;
    ::close(fd);
    return code;
  }
  if (receiveTimeoutMs > 0) {
    timeval timeout{receiveTimeoutMs / 1000, (receiveTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  fd_ = fd;
  return 0;
}

void Socket::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int Socket::send(std::span<const uint8_t> request) {
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  for (;;) {
    const ssize_t n = ::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&kernel),
                               sizeof kernel);
    if (n >= 0) return static_cast<size_t>(n) == request.size() ? 0 : EIO;
    if (errno != EINTR) return errno;
  }
}

ssize_t Socket::receive(std::span<uint8_t> buffer, bool dontWait) {
  for (;;) {
    // MSG_TRUNC makes the call report the datagram's real length even when it did not fit.
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_TRUNC | (dontWait ? MSG_DONTWAIT : 0));
    if (n >= 0) return n;
    if (errno != EINTR) return -errno;
  }
}

namespace {
// strerror_r comes in a GNU and an XSI flavour; both are handled.
[[maybe_unused]] const char* errorString(int result, const char* buffer) { return result == 0 ? buffer : "?"; }
[[maybe_unused]] const char* errorString(const char* result, const char*) { return result; }
}  // namespace

std::string failureText(std::string_view what, int code) {
  char buffer[256] = {};
  std::string text(what);
  text += " okunamadı: ";
  text += errorString(strerror_r(code, buffer, sizeof buffer), buffer);
  text += " (errno ";
  text += std::to_string(code);
  text += ")";
  return text;
}

}  // namespace kovra::netlink
