#include "samplers/network/network_address.h"

#include <gtest/gtest.h>

#include "platform/fake/network_fake.h"

namespace kovra {
namespace {

std::vector<InterfaceAddressEntry> entries(std::initializer_list<std::pair<const char*, const char*>> list) {
  std::vector<InterfaceAddressEntry> out;
  for (const auto& [name, text] : list) out.push_back(FakeNetworkPlatform::address(name, text));
  return out;
}

TEST(NetworkAddress, PrefersIPv4ThenGlobalIPv6ThenLinkLocalIPv4) {
  auto list = entries({{"eth0", "169.254.3.4"}, {"eth0", "fe80::1"}, {"eth0", "2001:db8::5"}});
  EXPECT_EQ(chooseInterfaceAddress(list, "eth0"), "2001:db8::5");
  list.push_back(FakeNetworkPlatform::address("eth0", "192.168.1.20"));
  EXPECT_EQ(chooseInterfaceAddress(list, "eth0"), "192.168.1.20");
  EXPECT_EQ(chooseInterfaceAddress(entries({{"eth0", "169.254.3.4"}, {"eth0", "fe80::1"}}), "eth0"), "169.254.3.4");
}

TEST(NetworkAddress, TakesTheFirstOfEachKindOnTheNamedInterfaceOnly) {
  auto list = entries({{"eth1", "10.9.9.9"}, {"eth0", "10.0.0.1"}, {"eth0", "10.0.0.2"}, {"eth0", "2001:db8::1"},
                       {"eth0", "2001:db8::2"}, {"eth00", "10.0.0.3"}});
  EXPECT_EQ(chooseInterfaceAddress(list, "eth0"), "10.0.0.1");
  EXPECT_EQ(chooseInterfaceAddress(list, "eth2"), std::nullopt);
  // fe80::/10 covers febf:: but not fec0::.
  EXPECT_EQ(chooseInterfaceAddress(entries({{"eth0", "febf::1"}}), "eth0"), std::nullopt);
  EXPECT_EQ(chooseInterfaceAddress(entries({{"eth0", "fec0::1"}}), "eth0"), "fec0::1");
  // Entries of other families are passed over.
  std::vector<InterfaceAddressEntry> other(1);
  other[0].name = "eth0";
  EXPECT_EQ(chooseInterfaceAddress(other, "eth0"), std::nullopt);
}

}  // namespace
}  // namespace kovra
