// Real rtnetlink traffic inside throw-away network namespaces: two namespaces joined by a veth
// pair. Needs root and `ip`; skipped where namespaces cannot be made.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/netlink_links.h"
#include "platform/linux/network_path_linux.h"

namespace kovra::netlink {
namespace {

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Namespaces "<prefix>a" and "<prefix>b" joined by veth "<prefix>va" <-> "<prefix>vb" with the
// addresses 10.231.0.1/24 and 10.231.0.2/24.
class VethPair {
 public:
  VethPair() : prefix_("kv" + std::to_string(::getpid() % 100000)) {
    if (!run("ip netns add " + a())) return;
    if (!run("ip netns add " + b())) return;
    made_ = run("ip link add " + va() + " netns " + a() + " type veth peer name " + vb() + " netns " + b()) &&
            run("ip -n " + a() + " addr add 10.231.0.1/24 dev " + va()) &&
            run("ip -n " + b() + " addr add 10.231.0.2/24 dev " + vb()) && run("ip -n " + a() + " link set lo up") &&
            run("ip -n " + a() + " link set " + va() + " up") && run("ip -n " + b() + " link set " + vb() + " up");
  }
  ~VethPair() {
    run("ip netns del " + a());
    run("ip netns del " + b());
  }
  bool made() const { return made_; }
  std::string a() const { return prefix_ + "a"; }
  std::string b() const { return prefix_ + "b"; }
  std::string va() const { return prefix_ + "va"; }
  std::string vb() const { return prefix_ + "vb"; }

 private:
  std::string prefix_;
  bool made_ = false;
};

// Moves the calling thread into a named namespace and back again.
class Entered {
 public:
  explicit Entered(const std::string& name) {
    original_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    entered_ = original_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) ::close(target);
  }
  ~Entered() {
    if (entered_) {
      EXPECT_EQ(::setns(original_, CLONE_NEWNET), 0);
    }
    if (original_ >= 0) ::close(original_);
  }
  bool entered() const { return entered_; }

 private:
  int original_ = -1;
  bool entered_ = false;
};

std::optional<LinkCounters> find(LinkReader& reader, const std::string& name) {
  std::vector<LinkCounters> links;
  if (!reader.readAll(links).ok()) return std::nullopt;
  for (const auto& l : links) {
    if (l.name() == name) return l;
  }
  return std::nullopt;
}

#define ENTER_OR_SKIP(pair, name)                        \
  if (!(pair).made()) {                                  \
    GTEST_SKIP() << "network namespaces are unavailable"; \
  }                                                      \
  Entered entered(name);                                 \
  if (!entered.entered()) {                              \
    GTEST_SKIP() << "setns is not permitted";            \
  }                                                      \
  static_assert(true)

TEST(NetlinkNamespace, VethCountersMoveWithTraffic) {
  VethPair pair;
  ENTER_OR_SKIP(pair, pair.a());
  LinkReader reader;
  const auto before = find(reader, pair.va());
  ASSERT_TRUE(before.has_value());

  const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);  // made inside namespace a
  ASSERT_GE(sock, 0);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(9);
  inet_pton(AF_INET, "10.231.0.2", &peer.sin_addr);
  const std::string payload(1000, 'k');
  std::optional<LinkCounters> after;
  // The first datagrams wait for the neighbour's address; keep sending until the bytes show.
  for (int round = 0; round < 100; ++round) {
    ::sendto(sock, payload.data(), payload.size(), 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    after = find(reader, pair.va());
    ASSERT_TRUE(after.has_value());
    if (after->sent >= before->sent + 2000) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::close(sock);
  EXPECT_GE(after->sent, before->sent + 2000);
  EXPECT_GT(after->received, before->received);  // at least the neighbour's reply
  EXPECT_EQ(after->index, before->index);
}

// Starts the monitor's thread.
TEST(NetlinkNamespaceThreaded, PathFollowsTheDefaultRoute) {
  VethPair pair;
  ENTER_OR_SKIP(pair, pair.a());

  std::mutex lock;
  std::condition_variable changed;
  std::vector<NetworkPath> paths;
  LinuxPathMonitor monitor(Sysfs(), std::chrono::milliseconds(20));
  monitor.start([&](const NetworkPath& p) {
    std::lock_guard guard(lock);
    paths.push_back(p);
    changed.notify_all();
  });
  // Waits for a reported path (from the `from`-th report on) that matches.
  auto waitFor = [&](size_t from, auto&& matches) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10), [&] {
      return std::any_of(paths.begin() + static_cast<std::ptrdiff_t>(std::min(from, paths.size())), paths.end(), matches);
    });
  };
  auto count = [&] {
    std::lock_guard guard(lock);
    return paths.size();
  };
  const NetworkPath viaVeth{true, {{pair.va(), NetworkPath::InterfaceType::other}}};
  auto isVeth = [&](const NetworkPath& p) { return p == viaVeth; };
  auto isNone = [](const NetworkPath& p) { return !p.satisfied && p.availableInterfaces.empty(); };

  ASSERT_TRUE(waitFor(0, isNone));  // no default route yet

  size_t mark = count();
  ASSERT_TRUE(run("ip -n " + pair.a() + " route add default via 10.231.0.2"));
  EXPECT_TRUE(waitFor(mark, isVeth));

  mark = count();
  ASSERT_TRUE(run("ip -n " + pair.a() + " route del default"));
  EXPECT_TRUE(waitFor(mark, isNone));

  // A link taken down loses its routes without a route event; the link event must do.
  ASSERT_TRUE(run("ip -n " + pair.a() + " route add default via 10.231.0.2"));
  ASSERT_TRUE(waitFor(mark, isVeth));
  mark = count();
  ASSERT_TRUE(run("ip -n " + pair.a() + " link set " + pair.va() + " down"));
  EXPECT_TRUE(waitFor(mark, isNone));

  monitor.cancel();
  const size_t final = count();
  run("ip -n " + pair.a() + " link set " + pair.va() + " up");
  EXPECT_EQ(count(), final);  // nothing after cancel
}

// Starts the monitor's thread.
TEST(NetlinkPathThreaded, ReportsOnceAtStartAndStopsCleanly) {
  std::mutex lock;
  std::condition_variable changed;
  int reports = 0;
  {
    LinuxPathMonitor monitor;
    monitor.start([&](const NetworkPath&) {
      std::lock_guard guard(lock);
      ++reports;
      changed.notify_all();
    });
    std::unique_lock guard(lock);
    EXPECT_TRUE(changed.wait_for(guard, std::chrono::seconds(10), [&] { return reports > 0; }));
  }
  // Destroyed without cancel(): the destructor stops the thread.
  LinuxPathMonitor neverStarted;
}

}  // namespace
}  // namespace kovra::netlink
