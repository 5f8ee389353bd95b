#include "platform/linux/network_path_linux.h"

#include <arpa/inet.h>
#include <linux/if_arp.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/if.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include "core/log.h"

namespace kovra::netlink {
namespace {

using Clock = std::chrono::steady_clock;

struct RouteRequest {
  nlmsghdr header;
  rtmsg route;
  rtattr destination;
  std::array<uint8_t, 16> address;
};

std::optional<Route> queryRoute(Socket& socket, int family) {
  RouteRequest r{};
  const size_t addressLength = family == AF_INET ? 4 : 16;
  r.header.nlmsg_len = static_cast<uint32_t>(offsetof(RouteRequest, address) + addressLength);
  r.header.nlmsg_type = RTM_GETROUTE;
  r.header.nlmsg_flags = NLM_F_REQUEST;
  r.header.nlmsg_seq = socket.nextSequence();
  r.route.rtm_family = static_cast<uint8_t>(family);
  r.route.rtm_dst_len = static_cast<uint8_t>(addressLength * 8);
  r.destination.rta_type = RTA_DST;
  r.destination.rta_len = static_cast<uint16_t>(sizeof(rtattr) + addressLength);
  if (family == AF_INET) {
    inet_pton(AF_INET, "1.1.1.1", r.address.data());
  } else {
    inet_pton(AF_INET6, "2606:4700:4700::1111", r.address.data());
  }
  if (!socket.isOpen() && socket.open() != 0) return std::nullopt;
  if (socket.send({reinterpret_cast<const uint8_t*>(&r), r.header.nlmsg_len}) != 0) {
    socket.close();
    return std::nullopt;
  }
  std::array<uint8_t, 4096> buffer;
  for (;;) {
    const ssize_t n = socket.receive(buffer);
    if (n <= 0 || static_cast<size_t>(n) > buffer.size()) {
      socket.close();  // no usable reply; a fresh socket next time
      return std::nullopt;
    }
    size_t offset = 0;
    const std::span<const uint8_t> datagram(buffer.data(), static_cast<size_t>(n));
    while (auto message = nextMessage(datagram, offset)) {
      if (message->seq != r.header.nlmsg_seq) continue;
      if (message->type == NLMSG_ERROR) return std::nullopt;  // typically ENETUNREACH
      if (auto route = parseRoute(*message)) return route;
    }
  }
}

}  // namespace

NetworkPath::InterfaceType classifyInterface(const LinkCounters& link, const Sysfs& sysfs) {
  if (sysfs.isWireless(link.name())) return NetworkPath::InterfaceType::wifi;
  if (link.type == ARPHRD_LOOPBACK) return NetworkPath::InterfaceType::loopback;
  if (link.type == ARPHRD_ETHER && sysfs.isPhysical(link.name())) return NetworkPath::InterfaceType::wiredEthernet;
  return NetworkPath::InterfaceType::other;
}

NetworkPath resolvePath(Socket& routeSocket, LinkReader& links, const Sysfs& sysfs) {
  for (int family : {AF_INET, AF_INET6}) {
    const auto route = queryRoute(routeSocket, family);
    if (!route || route->type != RTN_UNICAST || route->outputInterface <= 0) continue;
    if ((route->flags & RTNH_F_LINKDOWN) != 0) continue;
    const auto link = links.link(route->outputInterface);
    if (!link || (link->flags & IFF_UP) == 0 || (link->flags & IFF_RUNNING) == 0) continue;
    NetworkPath path;
    path.satisfied = true;
    path.availableInterfaces.push_back({std::string(link->name()), classifyInterface(*link, sysfs)});
    return path;
  }
  return {};
}

LinuxPathMonitor::LinuxPathMonitor(Sysfs sysfs, std::chrono::milliseconds debounce)
    : sysfs_(std::move(sysfs)), debounce_(debounce) {}

LinuxPathMonitor::~LinuxPathMonitor() { cancel(); }

void LinuxPathMonitor::start(Handler handler) {
  if (thread_.joinable()) return;
  stop_.store(false);
  handler_ = std::move(handler);
  constexpr uint32_t groups =
      RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
  if (int code = events_.open(groups, 0); code != 0) {
    // Without events the path is still resolved once; it just does not follow changes.
    Log::sampler.error(failureText("netlink yol olayları", code));
  }
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread([this] { run(); });
}

void LinuxPathMonitor::cancel() {
  if (thread_.joinable()) {
    stop_.store(true);
    const uint64_t one = 1;
    if (::write(wakeFd_, &one, sizeof one) < 0) {
      // eventfd writes only fail on overflow, which one write cannot reach.
    }
    thread_.join();
  }
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
  events_.close();
  routes_.close();
}

NetworkPath LinuxPathMonitor::resolve() { return resolvePath(routes_, links_, sysfs_); }

// Reads every queued event. Returns whether anything happened (an overrun counts: events were
// lost, so the path must be looked at again).
bool LinuxPathMonitor::drainEvents() {
  std::array<uint8_t, 8192> buffer;
  bool any = false;
  for (;;) {
    const ssize_t n = events_.receive(buffer, true);
    if (n >= 0) {
      any = true;
      continue;
    }
    if (n == -EAGAIN || n == -EWOULDBLOCK) return any;
    if (n == -ENOBUFS) {
      any = true;
      continue;
    }
    Log::sampler.error(failureText("netlink yol olayları", static_cast<int>(-n)));
    events_.close();
    return true;
  }
}

void LinuxPathMonitor::run() {
  pthread_setname_np(pthread_self(), "kovra-net-path");
  if (stop_.load()) return;
  handler_(resolve());
  bool pending = false;
  Clock::time_point firstEvent;
  Clock::time_point deadline;
  for (;;) {
    std::array<pollfd, 2> fds{{{wakeFd_, POLLIN, 0}, {events_.isOpen() ? events_.fd() : -1, POLLIN, 0}}};
    // Without a wake-up descriptor the thread looks at the stop flag four times a second.
    int timeout = wakeFd_ >= 0 ? -1 : 250;
    if (pending) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      const int wait = left > 0 ? static_cast<int>(left) + 1 : 0;
      timeout = timeout < 0 ? wait : std::min(timeout, wait);
    }
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (stop_.load() || fds[0].revents != 0) return;
    if (ready < 0 && errno != EINTR) {
      Log::sampler.error(failureText("netlink yol olayları (poll)", errno));
      return;
    }
    if (fds[1].revents != 0 && drainEvents()) {
      const auto now = Clock::now();
      if (!pending) firstEvent = now;
      pending = true;
      deadline = std::min(now + debounce_, firstEvent + 10 * debounce_);
    }
    if (pending && Clock::now() >= deadline) {
      pending = false;
      handler_(resolve());
    }
  }
}

}  // namespace kovra::netlink
