#pragma once
// Choosing the one local address to show for an interface.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/network.h"

namespace kovra {

// The address of interface `name` among `entries`, preferring the first IPv4 address outside
// 169.254.0.0/16, then the first IPv6 address outside fe80::/10, then the first 169.254.0.0/16
// address. IPv6 link-local addresses are never chosen.
std::optional<std::string> chooseInterfaceAddress(std::span<const InterfaceAddressEntry> entries, std::string_view name);

// The same over the platform's current address list; absent when it cannot be read or is empty.
std::optional<std::string> interfaceAddress(NetworkPlatform& platform, std::string_view name);

}  // namespace kovra
