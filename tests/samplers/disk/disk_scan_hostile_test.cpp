// A hostile tree: very deep, very wide, with names that are not text. The scan must finish
// without exhausting the stack or the process's file handles.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "disk_scan_tree_support.h"
#include "samplers/disk/disk_scanner.h"
#include "support/open_descriptors.h"

namespace kovra {
namespace {

constexpr int kDepth = 20000;
constexpr int kWide = 100000;

TEST(DiskScanHostile, DeepWideAndOddlyNamedTreeScans) {
  std::string base = testing::makeScratchFolder("kovra-hostile");
  ASSERT_FALSE(base.empty());
  int baseFd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(baseFd, 0);

  // 20,000 nested folders, far beyond any path length, with one file at the bottom.
  ASSERT_EQ(::mkdirat(baseFd, "deep", 0755), 0);
  int fd = ::openat(baseFd, "deep", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string deepest = base + "/deep";
  for (int i = 0; i < kDepth && fd >= 0; ++i) {
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
    deepest += "/d";
  }
  ASSERT_GE(fd, 0);
  int bottom = ::openat(fd, "bottom", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  std::string block(1 << 16, 'x');
  ASSERT_EQ(::write(bottom, block.data(), block.size()), static_cast<ssize_t>(block.size()));
  ::close(bottom);
  ::close(fd);

  // 100,000 entries in one folder, some named with invalid UTF-8 or a line break.
  ASSERT_EQ(::mkdirat(baseFd, "wide", 0755), 0);
  int wide = ::openat(baseFd, "wide", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < kWide; ++i) {
    std::string name = (i % 3 == 0 ? "bad\xff\xc0-" : i % 3 == 1 ? "line\nbreak-" : "plain-") + std::to_string(i);
    int f = ::openat(wide, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(f, 0) << i;
    ::close(f);
  }
  ::close(wide);

  int before = testing::openDescriptorCount();
  int maxFds = before;
  int64_t calls = 0;
  auto clock = std::make_shared<uint64_t>(0);
  DiskScanner scanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); },
                      [clock] { return *clock += 1'000'000; });
  auto r = scanner.scan(
      base,
      [&](const DiskScanProgress&) {
        ++calls;
        maxFds = std::max(maxFds, testing::openDescriptorCount());
      },
      {});
  // The pooled walk gives the same result on it.
  DiskScanner pooled([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }, steadyScanClock(), 4);
  auto p = pooled.scan(base, {}, {});

  testing::removeDeepChain(baseFd);
  ::close(baseFd);
  std::error_code ec;
  std::filesystem::remove_all(base, ec);

  ASSERT_TRUE(r.ok()) << r.error().message;
  ASSERT_TRUE(p.ok()) << p.error().message;
  EXPECT_EQ(p.value(), r.value());
  EXPECT_EQ(r->scannedFileCount, kWide + 1);
  EXPECT_EQ(r->skippedCount, 0);
  ASSERT_FALSE(r->largestFiles.empty());
  EXPECT_EQ(r->largestFiles.front().url, deepest + "/bottom");
  // Every level is just its one subfolder, so the deepest folder stands for the whole chain.
  ASSERT_FALSE(r->largestFolders.empty());
  EXPECT_EQ(r->largestFolders.front().url, deepest);
  EXPECT_GT(calls, 100);
  EXPECT_LT(maxFds - before, 150);
}

}  // namespace
}  // namespace kovra
