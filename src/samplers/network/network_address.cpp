#include "samplers/network/network_address.h"

#include <arpa/inet.h>
#include <sys/socket.h>

namespace kovra {
namespace {

std::optional<std::string> format(const InterfaceAddressEntry& e) {
  char text[46] = {};
  const int family = e.family == InterfaceAddressEntry::Family::ipv4 ? AF_INET : AF_INET6;
  if (inet_ntop(family, e.bytes.data(), text, sizeof text) == nullptr) return std::nullopt;
  return std::string(text);
}

}  // namespace

std::optional<std::string> chooseInterfaceAddress(std::span<const InterfaceAddressEntry> entries, std::string_view name) {
  using Family = InterfaceAddressEntry::Family;
  std::optional<std::string> ipv4;
  std::optional<std::string> ipv6;
  std::optional<std::string> linkLocal4;
  for (const auto& e : entries) {
    if (e.name != name) continue;
    if (e.family == Family::ipv6) {
      const bool linkLocal = e.bytes[0] == 0xFE && (e.bytes[1] & 0xC0) == 0x80;
      if (!ipv6 && !linkLocal) ipv6 = format(e);
    } else if (e.family == Family::ipv4) {
      if (e.bytes[0] == 169 && e.bytes[1] == 254) {
        if (!linkLocal4) linkLocal4 = format(e);
      } else if (!ipv4) {
        ipv4 = format(e);
      }
    }
  }
  if (ipv4) return ipv4;
  if (ipv6) return ipv6;
  return linkLocal4;
}

std::optional<std::string> interfaceAddress(NetworkPlatform& platform, std::string_view name) {
  const auto entries = platform.interfaceAddresses();
  if (!entries || entries->empty()) return std::nullopt;
  return chooseInterfaceAddress(*entries, name);
}

}  // namespace kovra
