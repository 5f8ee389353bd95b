// The scanner on real folder trees built under a temporary folder.

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/log.h"
#include "disk_scan_tree_support.h"
#include "platform/linux/fs_linux.h"
#include "samplers/disk/disk_scanner.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using testing::allocated;
using testing::inChild;
using testing::makeFile;
using testing::TempDir;
namespace fs = std::filesystem;

constexpr uint64_t MiB = 1024 * 1024;

// A clock that moves a second per reading, so every batch reports progress.
ScanClock racingClock() {
  auto now = std::make_shared<uint64_t>(0);
  return [now] { return *now += 1'000'000'000; };
}

Result<DiskScanResult, ScanError> scan(const std::string& root, DiskScanning::ProgressHandler progress = {},
                                       std::stop_token stop = {}) {
  DiskScanner scanner;
  return scanner.scan(root, progress, std::move(stop));
}

std::vector<std::string> urls(const std::vector<DiskItem>& items) {
  std::vector<std::string> out;
  for (const auto& i : items) out.push_back(i.url);
  return out;
}

std::string summary(const Result<DiskScanResult, ScanError>& r) {
  if (!r.ok()) return "error: " + r.error().message;
  std::string s = "files=" + std::to_string(r->scannedFileCount) + " bytes=" + std::to_string(r->scannedBytes) +
                  " skipped=" + std::to_string(r->skippedCount) + "\n";
  for (const auto& f : r->largestFolders) s += "folder " + f.url + "\n";
  return s;
}

TEST(DiskScanTree, MeasuresAllocatedSpaceAndRepresentsDominatedFolders) {
  TempDir dir;
  // Big: 10 MiB, 6 of them in A, so A stands for it.
  makeFile(dir.at("Big/A/movie"), 6 * MiB);
  makeFile(dir.at("Big/loose"), 4 * MiB);
  // Spread: ten half-MiB subfolders and 5 MiB of loose files: listed itself.
  for (int i = 0; i < 10; ++i) makeFile(dir.at("Spread/s" + std::to_string(i) + "/f"), MiB / 2);
  makeFile(dir.at("Spread/loose"), 5 * MiB);
  makeFile(dir.at("empty"), 0);
  // A sparse file counts what it occupies, not its length.
  int fd = ::open(dir.at("sparse").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(::ftruncate(fd, 1 << 30), 0);
  ::close(fd);
  // Two names of one file count once.
  // The root's own files are met before any subfolder, so the second name is never counted.
  makeFile(dir.at("linked"), 64 * 1024);
  ASSERT_EQ(::link(dir.at("linked").c_str(), dir.at("Big/A/second-name").c_str()), 0);

  uint64_t total = 0;
  for (auto& e : fs::recursive_directory_iterator(dir.path()))
    if (e.is_regular_file() && e.path().filename() != "second-name") total += allocated(e.path().string());

  auto r = scan(dir.path());
  ASSERT_TRUE(r.ok()) << r.error().message;
  EXPECT_EQ(r->scannedBytes, total);
  EXPECT_EQ(r->scannedFileCount, 16);
  EXPECT_EQ(urls(r->largestFolders), (std::vector<std::string>{dir.at("Spread"), dir.at("Big/A")}));
  EXPECT_EQ(r->largestFolders[1].sizeBytes, allocated(dir.at("Big/A/movie")));
  for (const auto& f : r->largestFiles) {
    EXPECT_GT(f.sizeBytes, 0u);
    EXPECT_NE(f.url, dir.at("sparse"));
    EXPECT_NE(f.url, dir.at("empty"));
  }
  EXPECT_EQ(r->largestFiles.front().url, dir.at("Big/A/movie"));
}

TEST(DiskScanTree, EqualSizesKeepDiscoveryOrderForFilesAndPathOrderForFolders) {
  TempDir dir;
  for (const char* name : {"q", "c", "x", "a", "m"}) makeFile(dir.at(std::string("files/") + name), 8192);
  makeFile(dir.at("folders/zz/f"), 4096);
  makeFile(dir.at("folders/aa/f"), 4096);
  makeFile(dir.at("folders/mm/f"), 4096);
  // The order the listing gives the files in is the order they were found.
  std::vector<std::string> listed;
  DIR* d = ::opendir(dir.at("files").c_str());
  while (dirent* e = ::readdir(d))
    if (e->d_name[0] != '.') listed.push_back(dir.at(std::string("files/") + e->d_name));
  ::closedir(d);

  auto r = scan(dir.at("files"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(urls(r->largestFiles), listed);
  auto f = scan(dir.at("folders"));
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(urls(f->largestFolders),
            (std::vector<std::string>{dir.at("folders/aa"), dir.at("folders/mm"), dir.at("folders/zz")}));
}

TEST(DiskScanTree, NeverFollowsSymbolicLinks) {
  TempDir dir;
  makeFile(dir.at("real/data"), MiB);
  fs::create_directory_symlink(dir.at("real"), dir.at("link"));
  fs::create_directory_symlink(".", dir.at("real/loop"));
  fs::create_directory_symlink("/usr", dir.at("outside"));
  fs::create_symlink(dir.at("real/data"), dir.at("filelink"));
  auto r = scan(dir.path());
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->scannedFileCount, 1);
  EXPECT_EQ(r->scannedBytes, allocated(dir.at("real/data")));
  EXPECT_EQ(urls(r->largestFiles), std::vector<std::string>{dir.at("real/data")});
  // A root given through a link is followed, as the user named it.
  auto viaLink = scan(dir.at("link"));
  ASSERT_TRUE(viaLink.ok());
  EXPECT_EQ(urls(viaLink->largestFiles), std::vector<std::string>{dir.at("link/data")});
}

TEST(DiskScanTree, RootFailures) {
  TempDir dir;
  makeFile(dir.at("plain"), 10);
  EXPECT_EQ(scan(dir.at("plain")).error(), ScanError::failed("disk taraması: kök bir klasör değil"));
  EXPECT_EQ(scan(dir.at("missing")).error(), ScanError::failed("disk taraması: kök klasör okunamadı (errno 2)"));
}

TEST(DiskScanTree, CancellationInTheMiddleEndsWithoutResult) {
  TempDir dir;
  for (int i = 0; i < 1100; ++i) makeFile(dir.at("many/f" + std::to_string(i)), 0);
  makeFile(dir.at("later/f"), 4096);
  std::stop_source stop;
  int reports = 0;
  DiskScanner scanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }, racingClock());
  auto r = scanner.scan(
      dir.path(),
      [&](const DiskScanProgress& p) {
        ++reports;
        EXPECT_FALSE(stop.stop_requested()) << "progress after the stop";
        if (p.currentPath == dir.at("many") && p.scannedFileCount > 0) stop.request_stop();
      },
      stop.get_token());
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.error().isCancelled());
  EXPECT_TRUE(stop.stop_requested());
}

TEST(DiskScanTree, EntriesRemovedDuringTheWalkAreNeitherErrorsNorCounted) {
  TempDir dir;
  for (int i = 0; i < 1100; ++i) makeFile(dir.at("a/f" + std::to_string(i)), 0);
  makeFile(dir.at("a/sub/inner"), 4096);
  makeFile(dir.at("b/kept"), 4096);
  bool removed = false;
  LogCapture log;
  DiskScanner scanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }, racingClock());
  auto r = scanner.scan(
      dir.path(),
      [&](const DiskScanProgress& p) {
        // After the first batch of folder a: everything else in it goes away.
        if (!removed && p.currentPath == dir.at("a")) {
          removed = true;
          for (auto& e : fs::directory_iterator(dir.at("a"))) fs::remove_all(e.path());
        }
      },
      {});
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(removed);
  EXPECT_EQ(r->skippedCount, 0);
  EXPECT_GE(r->scannedFileCount, 512);  // the first batch of a (perhaps less its subfolder), and b's file
  EXPECT_LT(r->scannedFileCount, 1101);
  EXPECT_EQ(urls(r->largestFiles), std::vector<std::string>{dir.at("b/kept")});
  auto messages = log.messages("sampler");
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().find(", 0 izin hatası, 0 diğer hata"), std::string::npos) << messages.back();
}

TEST(DiskScanTree, NamesAreKeptByteForByte) {
  TempDir dir;
  std::string odd = "bad\xff\xfe\nname";
  makeFile(dir.at(odd + "/inside"), 4096);
  std::vector<DiskScanProgress> seen;
  DiskScanner scanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }, racingClock());
  auto r = scanner.scan(dir.path(), [&](const DiskScanProgress& p) { seen.push_back(p); }, {});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(urls(r->largestFiles), std::vector<std::string>{dir.at(odd + "/inside")});
  EXPECT_EQ(urls(r->largestFolders), std::vector<std::string>{dir.at(odd)});
  bool shownSanitized = false;
  for (const auto& p : seen)
    if (p.currentPath && p.currentPath->find("bad\xEF\xBF\xBD") != std::string::npos) shownSanitized = true;
  EXPECT_TRUE(shownSanitized);
}

// The rest run in a child: as an unprivileged user, or in a private mount namespace.

TEST(DiskScanTree, UnreadableFolderIsCountedAndSkipped) {
  TempDir dir;
  makeFile(dir.at("open/f"), 4096);
  makeFile(dir.at("locked/secret"), MiB);
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.at("open").c_str(), 0755);
  ::chmod(dir.at("open/f").c_str(), 0644);
  ::chmod(dir.at("locked").c_str(), 0700);
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no unprivileged user";
  uid_t uid = nobody->pw_uid;
  gid_t gid = nobody->pw_gid;
  std::string why;
  auto out = inChild(
      [&]() -> std::string {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
          return "SKIP: cannot become an unprivileged user";
        if (::access(dir.at("locked").c_str(), R_OK) == 0) return "SKIP: permissions are not enforced";
        return summary(scan(dir.path())) + "--\n" + summary(scan(dir.at("locked")));
      },
      &why);
  if (!out) GTEST_SKIP() << why;
  EXPECT_EQ(*out, "files=1 bytes=" + std::to_string(allocated(dir.at("open/f"))) + " skipped=1\nfolder " +
                      dir.at("open") + "\n--\nerror: disk taraması: kök klasörün içeriği okunamadı");
}

TEST(DiskScanTree, StaysOnTheRootDevice) {
  TempDir dir;
  makeFile(dir.at("home/own"), 4096);
  fs::create_directories(dir.at("home/tmpfs"));
  fs::create_directories(dir.at("home/bound"));
  makeFile(dir.at("elsewhere/big"), MiB);
  std::string why;
  auto out = inChild(
      [&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) return "SKIP: no mount namespace";
        if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return "SKIP: cannot make mounts private";
        if (::mount("tmpfs", dir.at("home/tmpfs").c_str(), "tmpfs", 0, "size=8m") != 0) return "SKIP: no tmpfs mount";
        makeFile(dir.at("home/tmpfs/onTmpfs"), MiB);
        // Same device, another mount: still not crossed.
        if (::mount(dir.at("elsewhere").c_str(), dir.at("home/bound").c_str(), nullptr, MS_BIND, nullptr) != 0)
          return "SKIP: no bind mount";
        std::string s = summary(scan(dir.at("home")));
        // The older kernels' way of opening folders does not see a bind mount of the same device.
        LinuxFsOptions older;
        older.useOpenat2 = older.useStatx = false;
        DiskScanner fallback([older] { return std::shared_ptr<FileSystem>(makeLinuxFileSystem(older)); });
        ::umount(dir.at("home/bound").c_str());
        s += "--\n" + summary(fallback.scan(dir.at("home"), {}, {}));
        return s;
      },
      &why);
  if (!out) GTEST_SKIP() << why;
  std::string expected = "files=1 bytes=" + std::to_string(allocated(dir.at("home/own"))) + " skipped=0\n";
  EXPECT_EQ(*out, expected + "--\n" + expected);
}

}  // namespace
}  // namespace kovra
