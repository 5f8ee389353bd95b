// The pooled walk against the one-thread walk on real trees, and a very deep walk cancelled at
// its bottom.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>

#include "disk_scan_tree_support.h"
#include "samplers/disk/disk_scanner.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using testing::makeFile;
using testing::TempDir;

std::shared_ptr<FileSystem> linuxFs() { return std::shared_ptr<FileSystem>(makeFileSystem()); }

Result<DiskScanResult, ScanError> scanWith(const std::string& root, size_t workers,
                                           DiskScanning::ProgressHandler progress = {}, std::stop_token stop = {},
                                           ScanClock clock = steadyScanClock()) {
  DiskScanner scanner(linuxFs, std::move(clock), workers);
  return scanner.scan(root, progress, std::move(stop));
}

// Folders of varied shapes: equal sizes (for the tie orders), empty folders, symbolic links, and
// files with several names within one subtree and across two.
void buildTree(const TempDir& dir, int tops = 12) {
  std::mt19937 random(7);
  for (int top = 0; top < tops; ++top) {
    std::string t = "t" + std::to_string(top);
    for (int sub = 0; sub < 6; ++sub) {
      std::string s = t + "/s" + std::to_string(sub);
      std::filesystem::create_directories(dir.at(s + "/empty"));
      for (int f = 0; f < 8; ++f) {
        uint64_t size = (random() % 4 == 0) ? 8192 : (random() % 40) * 4096;
        makeFile(dir.at(s + "/f" + std::to_string(f)), size);
      }
      if (sub % 2 == 0) makeFile(dir.at(s + "/deeper/more/x"), (random() % 200) * 4096);
    }
  }
  if (tops < 12) return;
  makeFile(dir.at("loose"), 65536);
  makeFile(dir.at("t3/big-twin-a"), 1 << 20);
  makeFile(dir.at("t9/big-twin-b"), 1 << 20);
  ::symlink(dir.at("t1").c_str(), dir.at("t5/link").c_str());
  ::link(dir.at("t2/s0/f0").c_str(), dir.at("t2/s1/same-subtree").c_str());
  ::link(dir.at("t4/s0/f1").c_str(), dir.at("t8/s0/other-subtree").c_str());
  ::link(dir.at("loose").c_str(), dir.at("t6/s2/root-file").c_str());
}

TEST(DiskScanPool, GivesTheOneThreadResultToTheByte) {
  TempDir dir;
  buildTree(dir);
  auto one = scanWith(dir.path(), 1);
  ASSERT_TRUE(one.ok()) << one.error().message;
  for (size_t workers : {2u, 3u, 8u}) {
    int reports = 0;
    auto pooled = scanWith(dir.path(), workers, [&](const DiskScanProgress&) { ++reports; });
    ASSERT_TRUE(pooled.ok()) << pooled.error().message;
    EXPECT_EQ(pooled.value(), one.value()) << workers << " workers";
    EXPECT_GE(reports, 1);
  }
  EXPECT_EQ(one->largestFiles.front().url, dir.at("t3/big-twin-a"));
  EXPECT_EQ(one->largestFiles[1].url, dir.at("t9/big-twin-b"));
}

// Counts every folder opened below the root, across threads.
class CountingFs : public FileSystem {
 public:
  class Dir : public FsDirectory {
   public:
    Dir(std::unique_ptr<FsDirectory> inner, std::atomic<int>& opens) : inner_(std::move(inner)), opens_(opens) {}
    size_t read(std::span<FsEntry> out, FsErrorTally& errors) override { return inner_->read(out, errors); }
    bool failed() const override { return inner_->failed(); }
    Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openChild(std::string_view name) override {
      ++opens_;
      auto child = inner_->openChild(name);
      if (!child) return Failure{child.error()};
      return std::unique_ptr<FsDirectory>(std::make_unique<Dir>(std::move(child).value(), opens_));
    }
    void release() override { inner_->release(); }

   private:
    std::unique_ptr<FsDirectory> inner_;
    std::atomic<int>& opens_;
  };
  Result<FsRootInfo, int> statRoot(const std::string& path) override { return fs_->statRoot(path); }
  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openRoot(const std::string& path) override {
    auto root = fs_->openRoot(path);
    if (!root) return Failure{root.error()};
    return std::unique_ptr<FsDirectory>(std::make_unique<Dir>(std::move(root).value(), opens));
  }
  std::optional<FsVolumeUsage> volumeUsage(const std::string& path) override { return fs_->volumeUsage(path); }
  std::string homeFolder() override { return fs_->homeFolder(); }
  bool hasFullDiskAccess() override { return true; }

  std::atomic<int> opens{0};

 private:
  std::unique_ptr<FileSystem> fs_ = makeFileSystem();
};

// One subfolder holding most of the tree (so the worker walking it hands parts of it on), files
// with several names shared between those parts, with the folders before and after it, and at the
// bottom of a deep chain. Every count is settled where the one-thread walk meets the file first,
// and no folder is opened twice.
TEST(DiskScanPool, SharedFilesAcrossHandedOnPartsAreSettledWithoutWalkingTwice) {
  TempDir dir;
  std::mt19937 random(11);
  makeFile(dir.at("a-before/first"), 40 * 4096);
  for (int part = 0; part < 24; ++part) {
    std::string p = "big/p" + std::to_string(part);
    for (int sub = 0; sub < 5; ++sub)
      for (int f = 0; f < 6; ++f)
        makeFile(dir.at(p + "/s" + std::to_string(sub) + "/f" + std::to_string(f)), (random() % 30) * 4096);
  }
  std::string chain = "big/p20/chain";
  for (int i = 0; i < 300; ++i) chain += "/d";
  makeFile(dir.at(chain + "/deep"), 90 * 4096);
  makeFile(dir.at("z-after/last"), 70 * 4096);
  auto link = [&](const std::string& from, const std::string& to) {
    ASSERT_EQ(::link(dir.at(from).c_str(), dir.at(to).c_str()), 0) << to;
  };
  link("a-before/first", "big/p3/s1/first-again");  // counted before the big folder
  link("big/p2/s0/f0", "big/p17/s4/twin");          // between two parts of it
  link("big/p17/s4/f1", "big/p5/s2/twin-earlier");  // the earlier name sits in the earlier part
  link(chain + "/deep", "big/p1/deep-earlier");     // met before the chain is walked
  link("z-after/last", "big/p9/last-earlier");      // counted inside, not in the later folder
  link("big/p11/s3/f2", "big/p11/s3/same-folder");

  auto scan = [&](size_t workers, int* opens) {
    auto fs = std::make_shared<CountingFs>();
    DiskScanner scanner([fs] { return std::shared_ptr<FileSystem>(fs); }, steadyScanClock(), workers);
    auto r = scanner.scan(dir.path(), {}, {});
    *opens = fs->opens;
    return r;
  };
  int oneOpens = 0;
  auto one = scan(1, &oneOpens);
  ASSERT_TRUE(one.ok()) << one.error().message;
  for (size_t workers : {2u, 3u, 8u}) {
    for (int round = 0; round < 3; ++round) {
      int opens = 0;
      auto pooled = scan(workers, &opens);
      ASSERT_TRUE(pooled.ok()) << pooled.error().message;
      EXPECT_EQ(pooled.value(), one.value()) << workers << " workers";
      EXPECT_EQ(opens, oneOpens) << workers << " workers";
    }
  }
  // Each shared file is listed once, under whichever name the walk met first.
  auto listed = [&](const std::string& path) {
    return std::count_if(one->largestFiles.begin(), one->largestFiles.end(),
                         [&](const DiskItem& f) { return f.url == dir.at(path); });
  };
  EXPECT_EQ(listed(chain + "/deep") + listed("big/p1/deep-earlier"), 1);
  EXPECT_EQ(listed("z-after/last") + listed("big/p9/last-earlier"), 1);
  EXPECT_EQ(listed("a-before/first") + listed("big/p3/s1/first-again"), 1);
}

TEST(DiskScanPool, CancellingStopsTheWorkers) {
  TempDir dir;
  buildTree(dir, 3);
  std::stop_source stop;
  stop.request_stop();
  auto r = scanWith(dir.path(), 4, {}, stop.get_token());
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.error().isCancelled());

  std::stop_source later;
  auto now = std::make_shared<uint64_t>(0);
  auto cancelled = scanWith(
      dir.path(), 4, [&](const DiskScanProgress&) { later.request_stop(); }, later.get_token(),
      [now] { return *now += 1'000'000'000; });
  ASSERT_FALSE(cancelled.ok());
  EXPECT_TRUE(cancelled.error().isCancelled());
}

TEST(DiskScanPool, AWalkCancelledAtTheBottomOfAHundredThousandFoldersEndsCleanly) {
  constexpr int kDepth = 100000;
  std::string base = testing::makeScratchFolder("kovra-deep");
  ASSERT_FALSE(base.empty());
  int baseFd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(baseFd, 0);
  ASSERT_EQ(::mkdirat(baseFd, "deep", 0755), 0);
  int fd = ::openat(baseFd, "deep", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < kDepth && fd >= 0; ++i) {
    if (::mkdirat(fd, "d", 0755) != 0) break;
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  if (fd >= 0) ::close(fd);

  // Every listed folder reads the clock once; the stop comes when the walk is at the bottom.
  std::stop_source stop;
  auto reads = std::make_shared<int64_t>(0);
  auto r = scanWith(base, 1, {}, stop.get_token(), [reads, &stop] {
    if (++*reads >= kDepth) stop.request_stop();
    return uint64_t{0};
  });
  testing::removeDeepChain(baseFd);
  ::close(baseFd);
  std::error_code ec;
  std::filesystem::remove_all(base, ec);

  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.error().isCancelled());
  EXPECT_GE(*reads, kDepth);
}

}  // namespace
}  // namespace kovra
