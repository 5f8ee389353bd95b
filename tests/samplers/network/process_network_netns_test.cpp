// End to end: a listener in a throw-away network namespace, reached over a veth pair by a client
// in this process. The live reading, the sampler and the app grouping must all charge the bytes
// moved to this process and to the app it is put in, whatever name the process gives itself.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "logic/app_network_grouping.h"
#include "samplers/network/process_network_sampler.h"

namespace kovra {
namespace {

constexpr size_t kUpload = 5 * 1000 * 1000;
constexpr size_t kDownload = 3 * 1000 * 1000;
constexpr uint16_t kPort = 18777;

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool writeAll(int fd, const char* data, size_t len) {
  while (len > 0) {
    ssize_t n = ::write(fd, data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

bool readExactly(int fd, char* buffer, size_t bufferSize, size_t len) {
  while (len > 0) {
    ssize_t n = ::read(fd, buffer, std::min(len, bufferSize));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    len -= static_cast<size_t>(n);
  }
  return true;
}

class ProcessNetworkNamespace : public ::testing::Test {
 protected:
  void SetUp() override {
    const int id = ::getpid();
    ns_ = "kovra-traffic-" + std::to_string(id);
    hostSide_ = "kvt" + std::to_string(id % 1000000) + "h";
    const std::string prefix = "10.254." + std::to_string((id / 64) % 256) + ".";
    hostAddress_ = prefix + std::to_string((id % 64) * 4 + 1);
    peerAddress_ = prefix + std::to_string((id % 64) * 4 + 2);
    if (::geteuid() != 0 || !run("ip netns add " + ns_)) GTEST_SKIP() << "network namespaces are not available";
    made_ = true;
    bool ok = run("ip link add " + hostSide_ + " type veth peer name eth0 netns " + ns_) &&
              run("ip addr add " + hostAddress_ + "/30 dev " + hostSide_) && run("ip link set " + hostSide_ + " up") &&
              run("ip -n " + ns_ + " addr add " + peerAddress_ + "/30 dev eth0") &&
              run("ip -n " + ns_ + " link set eth0 up");
    if (!ok) GTEST_SKIP() << "a veth pair into the namespace could not be set up";
  }

  void TearDown() override {
    if (server_ > 0) {
      ::kill(server_, SIGKILL);
      ::waitpid(server_, nullptr, 0);
    }
    if (made_) {
      run("ip link del " + hostSide_);
      run("ip netns del " + ns_);
    }
  }

  // Forks the listener into the namespace: it takes kUpload bytes, answers with kDownload bytes
  // and waits for the client to hang up. Returns once it listens.
  bool startServer(std::vector<char>& buffer) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return false;
    const std::string nsPath = "/run/netns/" + ns_;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kPort);
    inet_pton(AF_INET, peerAddress_.c_str(), &addr.sin_addr);
    server_ = ::fork();
    if (server_ == 0) {  // only system calls from here on
      ::close(ready[0]);
      int nsFd = ::open(nsPath.c_str(), O_RDONLY | O_CLOEXEC);
      if (nsFd < 0 || ::setns(nsFd, CLONE_NEWNET) != 0) ::_exit(10);
      int l = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      int one = 1;
      ::setsockopt(l, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      if (::bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(l, 1) != 0) ::_exit(11);
      if (!writeAll(ready[1], "r", 1)) ::_exit(12);
      int c = ::accept(l, nullptr, nullptr);
      if (c < 0 || !readExactly(c, buffer.data(), buffer.size(), kUpload)) ::_exit(13);
      if (!writeAll(c, buffer.data(), kDownload)) ::_exit(14);
      while (::read(c, buffer.data(), buffer.size()) > 0) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    char byte = 0;
    bool listening = server_ > 0 && ::poll(&p, 1, 10'000) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    return listening;
  }

  std::string ns_, hostSide_, hostAddress_, peerAddress_;
  bool made_ = false;
  pid_t server_ = -1;
};

TEST_F(ProcessNetworkNamespace, BytesMovedOverTheVethPairAreChargedToThisProcessAndItsApp) {
  std::vector<char> buffer(kUpload, 'x');
  ASSERT_TRUE(startServer(buffer));

  // A name shaped like another process's line: it stays this process's name and nothing more.
  char ownName[16] = {};
  ASSERT_EQ(::prctl(PR_GET_NAME, ownName), 0);
  ASSERT_EQ(::prctl(PR_SET_NAME, "x.1,99999999,0\n"), 0);
  struct RestoreName {
    const char* name;
    ~RestoreName() { ::prctl(PR_SET_NAME, name); }
  } restore{ownName};

  uint64_t fakeNow = 0;
  ProcessNetworkSampler sampler(readProcessTraffic, [&] { return fakeNow += 300'000'000; });
  auto baseline = sampler.sample();
  ASSERT_FALSE(baseline);
  ASSERT_TRUE(baseline.error().isNotReady()) << baseline.error().message();

  int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(kPort);
  inet_pton(AF_INET, peerAddress_.c_str(), &addr.sin_addr);
  ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << std::strerror(errno);
  ASSERT_TRUE(writeAll(client, buffer.data(), kUpload));
  ASSERT_TRUE(readExactly(client, buffer.data(), buffer.size(), kDownload));

  auto snapshot = sampler.sample();  // the connection is still open, so its counters are still there
  ::close(client);
  ASSERT_TRUE(snapshot) << snapshot.error().text();

  const ProcessNetworkEntry* mine = nullptr;
  for (const auto& e : snapshot->entries)
    if (e.pid == ::getpid()) mine = &e;
  ASSERT_NE(mine, nullptr) << "this process is not among " << snapshot->entries.size() << " entries";
  EXPECT_NEAR(static_cast<double>(mine->totalUploadedBytes), kUpload, kUpload * 0.02);
  EXPECT_NEAR(static_cast<double>(mine->totalDownloadedBytes), kDownload, kDownload * 0.02);
  EXPECT_GT(mine->uploadBytesPerSecond, 0);
  EXPECT_EQ(mine->name, "x.1?99999999?0?");
  for (const auto& e : snapshot->entries) EXPECT_TRUE(e.pid != 1 || e.totalDownloadedBytes < 99999999u);

  AppUsage app;
  app.id = "kovra.traffic-test";
  app.name = "Trafik testi";
  app.kind = AppGroupKind::app;
  app.processes.push_back({::getpid(), mine->name, 0, std::nullopt});
  ProcessListSnapshot processes{{app}, 0};
  auto rows = MantikAppNetworkGrouping::group(*snapshot, processes);
  const AppNetworkUsage* row = nullptr;
  for (const auto& r : rows)
    if (r.id == app.id) row = &r;
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->name, "Trafik testi");
  EXPECT_NEAR(static_cast<double>(row->totalUploadedBytes), kUpload, kUpload * 0.02);
  EXPECT_NEAR(static_cast<double>(row->totalDownloadedBytes), kDownload, kDownload * 0.02);

  int status = 0;
  ASSERT_EQ(::waitpid(server_, &status, 0), server_);
  server_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace kovra
