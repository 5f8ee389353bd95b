// The walk's decisions on in-memory trees: which folders stand for their parents, the order of
// the lists, progress, cancellation, failures and how many folder handles stay open.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "core/log.h"
#include "platform/fake/fs_fake.h"
#include "samplers/disk/disk_scan_access.h"
#include "samplers/disk/disk_scan_walker.h"
#include "samplers/disk/disk_scanner.h"

namespace kovra {
namespace {

constexpr uint64_t GB = 1'000'000'000;

struct ManualClock {
  uint64_t now = 1'000'000'000;
  ScanClock clock() {
    return [this] { return now; };
  }
};

Result<DiskScanResult, ScanError> walk(FakeFileSystem& fs, const std::string& root = "/home/user",
                                       std::stop_token stop = {}, DiskScanning::ProgressHandler progress = {},
                                       ScanClock clock = {}) {
  DiskScanWalker walker(root, true, std::move(progress), fs, std::move(stop), std::move(clock));
  return walker.run();
}

std::vector<std::pair<std::string, uint64_t>> items(const std::vector<DiskItem>& list) {
  std::vector<std::pair<std::string, uint64_t>> out;
  for (const auto& i : list) out.emplace_back(i.url, i.sizeBytes);
  return out;
}

using Items = std::vector<std::pair<std::string, uint64_t>>;

TEST(DiskScanWalker, DominatedFolderIsShownThroughItsLargestSubfolder) {
  FakeFileSystem fs;
  // 10 GB, 6 of them in A: A stands for it.
  fs.addFile("/home/user/Big/A/movie", 6 * GB);
  fs.addFile("/home/user/Big/loose", 4 * GB);
  // 10 GB spread over ten small subfolders and loose files: listed itself.
  for (int i = 0; i < 10; ++i) fs.addFile("/home/user/Spread/s" + std::to_string(i) + "/f", GB / 2);
  fs.addFile("/home/user/Spread/loose", 5 * GB);
  // An application of 2 GB, nearly all in one inner folder: still one item.
  fs.addFolder("/home/user/Apps/Tool.app").isPackage = true;
  fs.addFile("/home/user/Apps/Tool.app/Contents/Frameworks/lib", 2 * GB - 10);
  fs.addFile("/home/user/Apps/Tool.app/Info", 10);

  auto r = walk(fs);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(items(r->largestFolders), (Items{{"/home/user/Spread", 10 * GB},
                                             {"/home/user/Big/A", 6 * GB},
                                             {"/home/user/Apps/Tool.app", 2 * GB}}));
  for (const auto& f : r->largestFolders) EXPECT_TRUE(f.isDirectory);
  EXPECT_EQ(r->scannedBytes, 22 * GB);
  EXPECT_EQ(r->scannedFileCount, 15);
}

TEST(DiskScanWalker, OrdersListsAndKeepsThemBounded) {
  FakeFileSystem fs;
  // Equal folders by path; equal files in the order they were found.
  fs.addFile("/r/zeta/f", 100);
  fs.addFile("/r/alpha/f", 100);
  fs.addFile("/r/second", 7);
  fs.addFile("/r/first", 7);
  fs.addFile("/r/empty", 0);
  auto r = walk(fs, "/r");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(items(r->largestFolders), (Items{{"/r/alpha", 100}, {"/r/zeta", 100}}));
  EXPECT_EQ(items(r->largestFiles), (Items{{"/r/zeta/f", 100}, {"/r/alpha/f", 100}, {"/r/second", 7}, {"/r/first", 7}}));
  EXPECT_EQ(r->scannedFileCount, 5);  // the empty file is counted, never listed

  FakeFileSystem many;
  for (int i = 1; i <= 30; ++i) many.addFile("/r/d" + std::to_string(i) + "/f", static_cast<uint64_t>(i));
  auto m = walk(many, "/r/");
  ASSERT_TRUE(m.ok());
  ASSERT_EQ(m->largestFolders.size(), 10u);
  ASSERT_EQ(m->largestFiles.size(), 20u);
  EXPECT_EQ(m->largestFolders.front().url, "/r/d30");
  EXPECT_EQ(m->largestFolders.back().url, "/r/d21");
  EXPECT_EQ(m->largestFiles.back().sizeBytes, 11u);
}

TEST(DiskScanTopFiles, KeepsTheLargestAndTheFirstOfEqualSizes) {
  ScanTopFiles top(3);
  top.insert("a", 5);
  top.insert("zero", 0);
  top.insert("b", 9);
  top.insert("c", 5);
  top.insert("d", 5);  // full, and no larger than the smallest
  top.insert("e", 6);
  EXPECT_EQ(top.items(), (std::vector<ScanSizedURL>{{"b", 9}, {"e", 6}, {"a", 5}}));
  EXPECT_FALSE(ScanTopFiles(0).accepts(100));
}

TEST(DiskScanWalker, StaysOffLinksOtherVolumesAndDatalessFolders) {
  FakeFileSystem fs;
  fs.addFile("/r/real/f", 10);
  fs.addSymlink("/r/link");
  fs.addFolder("/r/mnt").device = 7;
  fs.addFile("/r/mnt/huge", 100 * GB);
  fs.addFolder("/r/cloud").isDataless = true;
  fs.addFile("/r/cloud/f", 50 * GB);
  // Two names of one file count once.
  auto& a = fs.addFile("/r/real/hard1", 30);
  auto& b = fs.addFile("/r/real/hard2", 30);
  b.inode = a.inode;
  a.linkCount = b.linkCount = 2;
  // A file bind-mounted from another file system.
  fs.addFile("/r/real/bound", 70 * GB).device = 9;
  auto r = walk(fs, "/r");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->scannedFileCount, 2);
  EXPECT_EQ(r->scannedBytes, 40u);
  EXPECT_EQ(items(r->largestFolders), (Items{{"/r/real", 40}}));
}

TEST(DiskScanWalker, CountsPermissionFailuresAndGoesOn) {
  FakeFileSystem fs;
  fs.addFile("/r/locked/secret", 1000);
  fs.node("/r/locked").openError = EACCES;
  fs.addFile("/r/open/f", 10);
  fs.addFile("/r/open/hidden", 10).statError = EPERM;
  fs.addFile("/r/open/gone", 10).statError = ENOENT;
  fs.addFile("/r/broken/f", 5);
  fs.node("/r/broken").openError = EIO;
  // A folder whose listing breaks off keeps its files counted but adds no size to any folder.
  fs.addFile("/r/cut/f", 20);
  fs.node("/r/cut").readFails = true;
  LogCapture log;
  auto r = walk(fs, "/r");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->skippedCount, 2);
  EXPECT_EQ(r->scannedFileCount, 2);
  EXPECT_EQ(r->scannedBytes, 30u);
  EXPECT_EQ(items(r->largestFolders), (Items{{"/r/open", 10}}));
  EXPECT_EQ(log.count("disk taraması bitti: 2 dosya, 2 izin hatası, 1 diğer hata"), 1u);
}

TEST(DiskScanWalker, RootFailuresCarryTheirTexts) {
  FakeFileSystem fs;
  fs.addFile("/r/file", 10);
  fs.addFolder("/r/locked").openError = EACCES;
  fs.addFile("/r/hidden/f", 1).statError = EACCES;
  fs.addFolder("/r/empty");
  auto failure = [&](const std::string& root) { return walk(fs, root).error().message; };
  EXPECT_EQ(failure("/nowhere"), "disk taraması: kök klasör okunamadı (errno 2)");
  EXPECT_EQ(failure("/r/file"), "disk taraması: kök bir klasör değil");
  EXPECT_EQ(failure("/r/locked"), "disk taraması: kök klasörün içeriği okunamadı");
  // Nothing readable and an error met: the root's contents are unreadable too.
  EXPECT_EQ(failure("/r/hidden"), "disk taraması: kök klasörün içeriği okunamadı");
  auto empty = walk(fs, "/r/empty");
  ASSERT_TRUE(empty.ok());
  EXPECT_TRUE(empty->largestFolders.empty());
}

TEST(DiskScanWalker, ReportsProgressAtMostFourTimesASecond) {
  FakeFileSystem fs;
  fs.home = "/home/user";
  fs.usage = FsVolumeUsage{1000, 900, std::nullopt};  // 100 bytes in use
  for (int i = 0; i < 2000; ++i) fs.addFile("/home/user/Docs/f" + std::to_string(i), 1);
  ManualClock clock;
  std::vector<DiskScanProgress> seen;
  int reads = 0;
  fs.beforeRead = [&](const std::string&) {
    // 100 ms pass per batch: a report every third batch at most.
    clock.now += 100'000'000;
    ++reads;
  };
  auto r = walk(fs, "/home/user", {}, [&](const DiskScanProgress& p) { seen.push_back(p); }, clock.clock());
  ASSERT_TRUE(r.ok());
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), (DiskScanProgress{0, 0, "~", 0.0}));
  EXPECT_LE(seen.size(), 1 + static_cast<size_t>(reads) * 100 / 250 + 1);
  EXPECT_EQ(seen.back().currentPath, "~/Docs");
  EXPECT_EQ(seen.back().fraction, 1.0);  // more found than the volume's estimate: clamped
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].scannedFileCount, seen[i - 1].scannedFileCount);

  // Without a usable volume estimate there is no fraction.
  fs.usage = FsVolumeUsage{1000, 1000, std::nullopt};
  seen.clear();
  ASSERT_TRUE(walk(fs, "/home/user", {}, [&](const DiskScanProgress& p) { seen.push_back(p); }, clock.clock()).ok());
  EXPECT_FALSE(seen.front().fraction.has_value());
}

TEST(DiskScanWalker, CancellationEndsTheWalkWithoutResult) {
  FakeFileSystem fs;
  for (int i = 0; i < 3000; ++i) fs.addFile("/r/a/f" + std::to_string(i), 1);
  fs.addFile("/r/b/f", 1);
  std::stop_source stop;
  int reads = 0;
  fs.beforeRead = [&](const std::string&) {
    if (++reads == 3) stop.request_stop();  // in the middle of folder a
  };
  auto r = walk(fs, "/r", stop.get_token());
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.error().isCancelled());
  EXPECT_EQ(reads, 3);  // noticed within the batch

  // Asked to stop before it starts: the tree is never touched.
  reads = 0;
  DiskScanner scanner([&] { return std::shared_ptr<FileSystem>(&fs, [](FileSystem*) {}); });
  auto early = scanner.scan("/r", {}, stop.get_token());
  EXPECT_EQ(early.error(), ScanError::cancelled());
  EXPECT_EQ(reads, 0);
}

TEST(DiskScanWalker, KeepsFewFolderHandlesOpenOnDeepTrees) {
  FakeFileSystem fs;
  // A comb: every level has a deep branch and a side folder visited on the way back up.
  std::string path = "/r";
  for (int depth = 0; depth < 1500; ++depth) {
    fs.addFolder(path + "/d");
    fs.addFile(path + "/side/f", 1);
    path += "/d";
  }
  fs.addFile(path + "/bottom", 5);
  auto r = walk(fs, "/r");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->scannedFileCount, 1501);
  EXPECT_EQ(r->scannedBytes, 1505u);
  EXPECT_LE(fs.maxOpenHandles, static_cast<int>(DiskScanWalker::openFrames + 1500 / DiskScanWalker::checkpointSpacing + 3));
  EXPECT_GT(fs.reopenCount, 0);
  EXPECT_EQ(fs.openHandles, 0);
}

TEST(DiskScanner, PassesTheAccessAnswerIntoTheResult) {
  FakeFileSystem fs;
  fs.addFile("/r/f", 1);
  fs.fullDiskAccess = false;
  DiskScanner scanner([&] { return std::shared_ptr<FileSystem>(&fs, [](FileSystem*) {}); });
  EXPECT_FALSE(scanner.hasFullDiskAccess());
  auto r = scanner.scan("/r", {}, {});
  ASSERT_TRUE(r.ok());
  EXPECT_FALSE(r->hadFullDiskAccess);
}

TEST(DiskScanAccess, ProbesProtectedFilesInOrder) {
  std::vector<std::string> tried;
  auto probe = [&](std::map<std::string, int> results) {
    tried.clear();
    return probeFullDiskAccess("/Users/u", [&, results](const std::string& path) {
      tried.push_back(path);
      auto it = results.find(path);
      return it == results.end() ? ENOENT : it->second;
    });
  };
  // The permission database missing, the bookmarks readable: access.
  EXPECT_TRUE(probe({{"/Users/u/Library/Safari/Bookmarks.plist", 0}}));
  EXPECT_EQ(tried.size(), 2u);
  // The first refused for lack of permission: no access, nothing else tried.
  EXPECT_FALSE(probe({{"/Users/u/Library/Application Support/com.apple.TCC/TCC.db", EPERM},
                      {"/Users/u/Library/Safari/Bookmarks.plist", 0}}));
  EXPECT_EQ(tried.size(), 1u);
  EXPECT_FALSE(probe({}));
  EXPECT_EQ(tried.back(), "/Library/Application Support/com.apple.TCC/TCC.db");
}

TEST(DiskScanPaths, AbbreviatesTheHomeFolder) {
  EXPECT_EQ(abbreviateHome("/home/u/Library", "/home/u/"), "~/Library");
  EXPECT_EQ(abbreviateHome("/home/u", "/home/u"), "~");
  EXPECT_EQ(abbreviateHome("/home/user2/x", "/home/u"), "/home/user2/x");
  EXPECT_EQ(abbreviateHome("/etc", "/"), "/etc");
  EXPECT_EQ(childPath("/", "etc"), "/etc");
}

}  // namespace
}  // namespace kovra
