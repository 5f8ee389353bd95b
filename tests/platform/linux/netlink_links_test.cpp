#include "platform/linux/netlink_links.h"

#include <gtest/gtest.h>
#include <linux/if_arp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/linux/network_path_linux.h"
#include "support/temp_dir.h"

namespace kovra::netlink {
namespace {

namespace fs = std::filesystem;

// A sysfs tree with the shapes the kernel uses: class/net/<if> links into devices/….
struct FakeSysfs {
  testing::TempDir dir;

  void add(const std::string& name, const std::string& devicePath, bool withDevice) {
    const std::string target = dir.at(devicePath + "/net/" + name);
    fs::create_directories(target);
    if (withDevice) fs::create_directories(target + "/device");
    fs::create_directories(dir.at("class/net"));
    fs::create_symlink("../../" + devicePath + "/net/" + name, dir.at("class/net/" + name));
  }
  std::string interfaceDir(const std::string& name) const { return fs::canonical(dir.at("class/net/" + name)).string(); }
};

LinkCounters link(int index, const char* name, uint16_t type = ARPHRD_ETHER) {
  Link l;
  l.index = index;
  l.name = name;
  l.type = type;
  return LinkCounters::from(l);
}

TEST(NetlinkSysfs, TellsPhysicalAndWirelessInterfaces) {
  FakeSysfs tree;
  tree.add("enp0s31f6", "devices/pci0000:00/0000:00:1f.6", true);
  tree.add("lo", "devices/virtual", false);
  tree.add("veth1", "devices/virtual", true);  // a device link does not make a virtual one physical
  tree.add("wlan0", "devices/pci0000:00/0000:00:14.3", true);
  tree.add("wlp2s0", "devices/pci0000:00/0000:02:00.0", true);
  tree.add("wl9", "devices/platform/soc", true);
  tree.add("usb0", "devices/platform/soc/usb", true);
  std::ofstream(tree.interfaceDir("wlan0") + "/uevent") << "DEVTYPE=wlan\nINTERFACE=wlan0\nIFINDEX=3\n";
  fs::create_directories(tree.interfaceDir("wlp2s0") + "/phy80211");
  fs::create_directories(tree.interfaceDir("wl9") + "/wireless");
  std::ofstream(tree.interfaceDir("usb0") + "/uevent") << "DEVTYPE=gadget\nINTERFACE=usb0\n";

  const Sysfs sysfs(tree.dir.path());
  EXPECT_TRUE(sysfs.isPhysical("enp0s31f6"));
  EXPECT_TRUE(sysfs.isPhysical("wlan0"));
  EXPECT_FALSE(sysfs.isPhysical("lo"));
  EXPECT_FALSE(sysfs.isPhysical("veth1"));
  EXPECT_FALSE(sysfs.isPhysical("missing0"));
  EXPECT_FALSE(sysfs.isPhysical(".."));

  using Type = NetworkPath::InterfaceType;
  EXPECT_EQ(classifyInterface(link(2, "enp0s31f6"), sysfs), Type::wiredEthernet);
  EXPECT_EQ(classifyInterface(link(3, "wlan0"), sysfs), Type::wifi);
  EXPECT_EQ(classifyInterface(link(4, "wlp2s0"), sysfs), Type::wifi);
  EXPECT_EQ(classifyInterface(link(5, "wl9"), sysfs), Type::wifi);
  EXPECT_EQ(classifyInterface(link(6, "usb0"), sysfs), Type::wiredEthernet);
  EXPECT_EQ(classifyInterface(link(7, "veth1"), sysfs), Type::other);
  EXPECT_EQ(classifyInterface(link(1, "lo", ARPHRD_LOOPBACK), sysfs), Type::loopback);
  EXPECT_EQ(classifyInterface(link(8, "tun0", ARPHRD_NONE), sysfs), Type::other);
}

TEST(NetlinkSysfs, CacheAsksOncePerIndexAndName) {
  FakeSysfs tree;
  tree.add("eth0", "devices/pci0000:00/0000:00:03.0", true);
  tree.add("eth1", "devices/pci0000:00/0000:00:04.0", true);
  PhysicalLinkCache cache{Sysfs(tree.dir.path())};
  const std::vector<LinkCounters> links{link(1, "lo"), link(2, "eth0"), link(3, "eth1")};
  cache.refresh(links);
  EXPECT_FALSE(cache.isPhysical(links[0]));
  EXPECT_TRUE(cache.isPhysical(links[1]));

  // Steady readings do not look at sysfs again.
  fs::remove_all(tree.dir.at("class/net/eth0"));
  cache.refresh(links);
  EXPECT_TRUE(cache.isPhysical(links[1]));
  // A renamed link (same index, new name) and a new index are asked about afresh.
  const std::vector<LinkCounters> renamed{link(2, "eth1"), link(4, "eth0")};
  cache.refresh(renamed);
  EXPECT_TRUE(cache.isPhysical(renamed[0]));
  EXPECT_FALSE(cache.isPhysical(renamed[1]));
  // Links that are gone are forgotten.
  EXPECT_FALSE(cache.isPhysical(links[2]));
}

TEST(NetlinkLinkReader, DumpsTheLinksOfThisNamespace) {
  LinkReader reader(64);  // far too small: the first datagram makes it grow
  std::vector<LinkCounters> links;
  auto r = reader.readAll(links);
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_GT(reader.bufferCapacity(), 64u);
  auto lo = std::find_if(links.begin(), links.end(), [](const LinkCounters& l) { return l.name() == "lo"; });
  ASSERT_NE(lo, links.end());
  EXPECT_EQ(lo->type, ARPHRD_LOOPBACK);

  const size_t capacity = reader.bufferCapacity();
  const size_t count = links.size();
  ASSERT_TRUE(reader.readAll(links).ok());
  EXPECT_EQ(reader.bufferCapacity(), capacity);
  EXPECT_EQ(links.size(), count);

  const auto one = reader.link(lo->index);
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->name(), "lo");
  EXPECT_FALSE(reader.link(2'000'000'000).has_value());
  EXPECT_FALSE(reader.link(0).has_value());
}

TEST(NetlinkFailureText, NamesTheCallAndTheErrno) {
  EXPECT_EQ(failureText("netlink RTM_GETLINK", EACCES), "netlink RTM_GETLINK okunamadı: Permission denied (errno 13)");
}

}  // namespace
}  // namespace kovra::netlink
