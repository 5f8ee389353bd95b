// The socket owners under a made-up /proc tree, and a real dump of this process's own connection.
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "core/unique_fd.h"

#include "platform/linux/sock_diag.h"
#include "platform/process_traffic.h"
#include "support/temp_dir.h"

namespace kovra::sockdiag {
namespace {

void link(const testing::TempDir& dir, const std::string& from, const std::string& target) {
  std::filesystem::create_directories(std::filesystem::path(dir.at(from)).parent_path());
  std::filesystem::create_symlink(target, dir.at(from));
}

TEST(SockDiagOwners, InodesMapToTheSmallestHoldingPid) {
  testing::TempDir proc;
  link(proc, "100/fd/3", "socket:[555]");
  link(proc, "100/fd/4", "pipe:[555]");
  link(proc, "50/fd/7", "socket:[555]");
  link(proc, "200/fd/1", "socket:[777]");
  link(proc, "200/fd/2", "socket:[888]");
  link(proc, "300/fd/9", "socket:[12x]");
  link(proc, "300/fd/8", "socket:[]");
  link(proc, "abc/fd/1", "socket:[999]");
  link(proc, "0/fd/1", "socket:[999]");
  proc.write("400/comm", "no fd folder\n");

  auto owners = socketOwners(proc.path(), {555, 777, 999, 12});
  EXPECT_EQ(owners, (std::unordered_map<uint64_t, int32_t>{{555, 50}, {777, 200}}));
  EXPECT_TRUE(socketOwners(proc.path() + "/missing", {555}).empty());
}

TEST(SockDiagOwners, NamesCannotEndALineOrAColumn) {
  testing::TempDir proc;
  proc.write("7/comm", "curl\n");
  proc.write("8/comm", "we\x01ird,\x7fname\n");
  // NEL, line and paragraph separators, a line feed inside, a stray byte, a cut-off character.
  proc.write("9/comm", "a\xc2\x85" "b\xe2\x80\xa8" "c\xe2\x80\xa9" "d\ne\xff\xc3\n");
  EXPECT_EQ(processName(proc.path(), 7), "curl");
  EXPECT_EQ(processName(proc.path(), 8), "we?ird??name");
  EXPECT_EQ(processName(proc.path(), 9), "a?b?c?d?e\xef\xbf\xbd\xef\xbf\xbd");
  EXPECT_EQ(processName(proc.path(), 10), "");
  // Characters that end nothing are kept.
  EXPECT_EQ(listingName("Çalışan süreç.x \xe2\x80\x8b"), "Çalışan süreç.x \xe2\x80\x8b");
}

// A made-up process folder with `count` descriptors that are not sockets, and the given sockets.
void process(const testing::TempDir& proc, int pid, int count, const std::vector<uint64_t>& sockets = {}) {
  int fd = 0;
  for (uint64_t inode : sockets) link(proc, std::to_string(pid) + "/fd/" + std::to_string(fd++), "socket:[" + std::to_string(inode) + "]");
  for (int i = 0; i < count; ++i) link(proc, std::to_string(pid) + "/fd/" + std::to_string(fd++), "/dev/null");
  if (sockets.empty() && count == 0) std::filesystem::create_directories(proc.at(std::to_string(pid) + "/fd"));
}

TEST(SockDiagOwners, SearchStopsOnceEverySocketIsMatched) {
  testing::TempDir proc;
  const auto me = static_cast<uint32_t>(::getuid());
  process(proc, 10, 0, {555});
  process(proc, 20, 500);
  process(proc, 30, 500, {556});
  OwnerScan scan = findSocketOwners(proc.path(), {{555, me}});
  EXPECT_EQ(scan.owners, (std::unordered_map<uint64_t, int32_t>{{555, 10}}));
  EXPECT_EQ(scan.descriptorsRead, 1u);
  EXPECT_EQ(scan.processesRead, 1u);
  EXPECT_TRUE(scan.complete);

  // Within one process the search ends at the last socket it still looks for.
  scan = findSocketOwners(proc.path(), {{555, me}, {556, me}});
  EXPECT_EQ(scan.owners, (std::unordered_map<uint64_t, int32_t>{{555, 10}, {556, 30}}));
  EXPECT_LE(scan.descriptorsRead, 1u + 500u + 501u);
  EXPECT_TRUE(scan.complete);
}

TEST(SockDiagOwners, ProcessesOfTheSocketsUserAreReadFirst) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a folder another user's takes root";
  testing::TempDir proc;
  const uint32_t nobody = 65534;
  process(proc, 10, 500);        // runs as this user, holds nothing wanted
  process(proc, 20, 0, {777});   // runs as nobody, like the socket's maker
  ASSERT_EQ(::chown(proc.at("20").c_str(), nobody, nobody), 0);
  OwnerScan scan = findSocketOwners(proc.path(), {{777, nobody}});
  EXPECT_EQ(scan.owners, (std::unordered_map<uint64_t, int32_t>{{777, 20}}));
  EXPECT_EQ(scan.descriptorsRead, 1u);

  // A socket that changed hands is still found, among the other processes.
  process(proc, 30, 0, {778});
  scan = findSocketOwners(proc.path(), {{778, nobody}});
  EXPECT_EQ(scan.owners, (std::unordered_map<uint64_t, int32_t>{{778, 30}}));
  EXPECT_TRUE(scan.complete);
}

TEST(SockDiagOwners, LimitEndsTheSearchAndNoProcessIsListedHalfRead) {
  testing::TempDir proc;
  const auto me = static_cast<uint32_t>(::getuid());
  process(proc, 10, 49, {1, 2});  // 51 descriptors
  process(proc, 20, 0, {3});
  const std::unordered_map<uint64_t, uint32_t> wanted{{1, me}, {2, me}, {3, me}, {4, me}};

  // Whichever process comes first, the one being read when the limit is reached is left out.
  OwnerScan cut = findSocketOwners(proc.path(), wanted, {20, std::chrono::seconds(60)});
  EXPECT_FALSE(cut.owners.contains(1));
  EXPECT_FALSE(cut.owners.contains(2));
  EXPECT_FALSE(cut.complete);
  EXPECT_EQ(cut.descriptorsRead, 20u);

  // Read to the end: socket 4 belongs to no readable process, which is no reason to call it partial.
  OwnerScan whole = findSocketOwners(proc.path(), wanted, {60, std::chrono::seconds(60)});
  EXPECT_EQ(whole.owners.size(), 3u);
  EXPECT_TRUE(whole.complete);

  OwnerScan timed = findSocketOwners(proc.path(), wanted, {SIZE_MAX, std::chrono::nanoseconds(0)});
  EXPECT_TRUE(timed.owners.empty());
  EXPECT_FALSE(timed.complete);
}

uint64_t inodeOf(int fd) {
  struct stat st {};
  ::fstat(fd, &st);
  return st.st_ino;
}

TEST(SockDiagLive, DumpCountsTheBytesOfALoopbackConnection) {
  UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener.get(), 1), 0);
  ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len), 0);
  UniqueFd client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  ASSERT_EQ(::connect(client.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  UniqueFd server(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
  ASSERT_GE(server.get(), 0);

  constexpr size_t kBytes = 100'000;
  std::vector<char> data(kBytes, 'k');
  size_t sent = 0, received = 0;
  while (received < kBytes) {
    if (sent < kBytes) {
      ssize_t n = ::send(client.get(), data.data() + sent, std::min<size_t>(kBytes - sent, 16384), 0);
      ASSERT_GT(n, 0);
      sent += static_cast<size_t>(n);
    }
    ssize_t n = ::recv(server.get(), data.data(), std::min<size_t>(kBytes - received, 16384), 0);
    ASSERT_GT(n, 0);
    received += static_cast<size_t>(n);
  }

  auto sockets = dumpTcpSockets();
  ASSERT_TRUE(sockets) << sockets.error();
  const Socket* c = nullptr;
  const Socket* s = nullptr;
  for (const Socket& sock : *sockets) {
    if (sock.inode == inodeOf(client.get())) c = &sock;
    if (sock.inode == inodeOf(server.get())) s = &sock;
    EXPECT_NE(sock.inode, inodeOf(listener.get())) << "listeners are left out";
  }
  ASSERT_NE(c, nullptr);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(c->hasCounters);
  EXPECT_EQ(c->bytesSent, kBytes);
  EXPECT_EQ(s->bytesReceived, kBytes);
  EXPECT_TRUE(isLoopback(c->local) && isLoopback(c->remote));

  // Loopback traffic is not external: this process is not listed for it.
  auto traffic = readProcessTraffic();
  ASSERT_TRUE(traffic) << traffic.error();
  for (const ProcessTraffic& t : traffic->processes) EXPECT_NE(t.pid, ::getpid());
}

}  // namespace
}  // namespace kovra::sockdiag
