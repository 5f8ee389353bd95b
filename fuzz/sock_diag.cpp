// Replies of the socket diagnostics netlink family: any datagram must parse without reading past
// its end, and the batch it yields must be consistent.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/linux/sock_diag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Copy into an exactly sized buffer so the address sanitizer sees any overread.
  std::vector<uint8_t> bytes(data, data + size);
  std::vector<kovra::sockdiag::Socket> sockets;
  kovra::sockdiag::Batch batch = kovra::sockdiag::parseDatagram(std::span<const uint8_t>(bytes), sockets);
  if (batch.error < 0) std::abort();
  if (sockets.size() > size / 16) std::abort();  // every socket needs at least a message header
  for (const auto& s : sockets) {
    (void)kovra::sockdiag::isLoopback(s.remote);
    (void)kovra::sockdiag::isUnspecified(s.local);
  }
  return 0;
}
