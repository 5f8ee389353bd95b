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

TEST(SockDiagOwners, NamesLoseTheirLineEndAndControlBytes) {
  testing::TempDir proc;
  proc.write("7/comm", "curl\n");
  proc.write("8/comm", "we\x01ird,\x7fname\n");
  EXPECT_EQ(processName(proc.path(), 7), "curl");
  EXPECT_EQ(processName(proc.path(), 8), "we?ird,?name");
  EXPECT_EQ(processName(proc.path(), 9), "");
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
  for (const ProcessTraffic& t : *traffic) EXPECT_NE(t.pid, ::getpid());
}

}  // namespace
}  // namespace kovra::sockdiag
