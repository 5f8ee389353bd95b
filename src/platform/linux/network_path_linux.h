#pragma once
// The network path on Linux: which interface the route to a public destination leaves through,
// asked the way `ip route get` asks (no packet is sent), and re-asked on every link, address or
// route event of an rtnetlink socket, on a thread of its own.

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/linux/netlink_links.h"
#include "platform/linux/netlink_socket.h"
#include "platform/network.h"

namespace kovra::netlink {

// The route to 1.1.1.1, failing that to 2606:4700:4700::1111. A path is satisfied when that
// route is a unicast route over an interface that is up and running.
NetworkPath resolvePath(Socket& routeSocket, LinkReader& links, const Sysfs& sysfs);

// What kind of interface `link` is: Wi-Fi by sysfs, wired Ethernet when it is a physical
// Ethernet device, loopback, or other.
NetworkPath::InterfaceType classifyInterface(const LinkCounters& link, const Sysfs& sysfs);

class LinuxPathMonitor : public NetworkPathMonitor {
 public:
  // `debounce`: quiet time after an event before the path is resolved again (events come in
  // bursts); resolution is never put off by more than ten times that.
  explicit LinuxPathMonitor(Sysfs sysfs = Sysfs(), std::chrono::milliseconds debounce = std::chrono::milliseconds(100));
  ~LinuxPathMonitor() override;
  LinuxPathMonitor(const LinuxPathMonitor&) = delete;
  LinuxPathMonitor& operator=(const LinuxPathMonitor&) = delete;

  void start(Handler handler) override;
  void cancel() override;

 private:
  void run();
  NetworkPath resolve();
  bool drainEvents();

  Sysfs sysfs_;
  std::chrono::milliseconds debounce_;
  Handler handler_;
  Socket events_;
  Socket routes_;
  LinkReader links_;
  int wakeFd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kovra::netlink
