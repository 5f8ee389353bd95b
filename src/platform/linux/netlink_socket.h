#pragma once
// A NETLINK_ROUTE socket: open (optionally joined to multicast groups), send one request,
// receive one datagram. Owns its descriptor; move-only.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kovra::netlink {

class Socket {
 public:
  Socket() = default;
  ~Socket();
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Opens the socket, joined to the RTMGRP_* bits in `groups`, with a receive timeout so that a
  // reply that never comes cannot block forever. Returns 0 or an errno.
  int open(uint32_t groups = 0, int receiveTimeoutMs = 2000);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Sends one request to the kernel. Returns 0 or an errno.
  int send(std::span<const uint8_t> request);
  // Receives one datagram into `buffer`. Returns its full length (which exceeds the buffer when
  // the datagram was cut short) or −errno. `dontWait` makes an empty queue return −EAGAIN.
  ssize_t receive(std::span<uint8_t> buffer, bool dontWait = false);

  uint32_t nextSequence() { return ++sequence_; }

 private:
  int fd_ = -1;
  uint32_t sequence_ = 0;
};

// "<what> okunamadı: <strerror> (errno N)"
std::string failureText(std::string_view what, int code);

}  // namespace kovra::netlink
