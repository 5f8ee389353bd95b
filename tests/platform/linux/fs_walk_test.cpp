// The Linux folder reader on real folders: batches, entry facts, reopening released folders,
// failures, and the sandbox check.

#include <pwd.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "platform/linux/fs_linux.h"
#include "samplers/disk/disk_scan_tree_support.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using testing::allocated;
using testing::makeFile;
using testing::TempDir;
namespace fs = std::filesystem;

std::map<std::string, FsEntry> readAll(FsDirectory& dir, size_t batch, FsErrorTally* errors = nullptr) {
  std::vector<FsEntry> buf(batch);
  std::map<std::string, FsEntry> all;
  FsErrorTally tally;
  while (size_t n = dir.read(buf, tally))
    for (size_t i = 0; i < n; ++i) EXPECT_TRUE(all.emplace(buf[i].name, buf[i]).second) << "twice: " << buf[i].name;
  if (errors) *errors = tally;
  return all;
}

class FsWalkLinux : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<FileSystem> make() { return makeLinuxFileSystem({GetParam(), GetParam(), "/.flatpak-info"}); }
};

TEST_P(FsWalkLinux, ListsEveryEntryOnceAcrossSmallBatches) {
  TempDir dir;
  std::set<std::string> names;
  for (int i = 0; i < 1200; ++i) {
    std::string name = (i % 2 ? "n\xff\n" : "plain-") + std::to_string(i) + std::string(40 + i % 50, 'x');
    names.insert(name);
    makeFile(dir.at(name), 0);
  }
  auto root = make()->openRoot(dir.path());
  ASSERT_TRUE(root.ok());
  auto all = readAll(**root, 7);
  std::set<std::string> seen;
  for (auto& [name, e] : all) seen.insert(name);
  EXPECT_EQ(seen, names);
  EXPECT_FALSE((*root)->failed());
  FsEntry spare[4];
  FsErrorTally none;
  EXPECT_EQ((*root)->read(spare, none), 0u);  // stays at its end
}

TEST_P(FsWalkLinux, DescribesEntries) {
  TempDir dir;
  makeFile(dir.at("data"), 3 * 4096 + 1);
  ASSERT_EQ(::link(dir.at("data").c_str(), dir.at("again").c_str()), 0);
  int fd = ::open(dir.at("sparse").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(::ftruncate(fd, 1 << 30), 0);
  ::close(fd);
  fs::create_directory(dir.at("sub"));
  fs::create_symlink("data", dir.at("link"));
  fs::create_directory_symlink("sub", dir.at("dirlink"));
  ASSERT_EQ(::mkfifo(dir.at("pipe").c_str(), 0644), 0);

  auto root = make()->openRoot(dir.path());
  ASSERT_TRUE(root.ok());
  auto all = readAll(**root, 512);
  ASSERT_EQ(all.size(), 7u);
  EXPECT_EQ(all["data"].kind, FsEntryKind::file);
  EXPECT_EQ(all["data"].allocatedBytes, allocated(dir.at("data")));
  EXPECT_EQ(all["data"].linkCount, 2u);
  EXPECT_EQ(all["data"].inode, all["again"].inode);
  EXPECT_EQ(all["sparse"].allocatedBytes, allocated(dir.at("sparse")));
  EXPECT_LT(all["sparse"].allocatedBytes, 1u << 20);
  EXPECT_EQ(all["sub"].kind, FsEntryKind::directory);
  EXPECT_EQ(all["link"].kind, FsEntryKind::symlink);
  EXPECT_EQ(all["dirlink"].kind, FsEntryKind::symlink);
  EXPECT_EQ(all["pipe"].kind, FsEntryKind::file);
  EXPECT_EQ(all["pipe"].allocatedBytes, 0u);
  struct stat st {};
  ::stat(dir.path().c_str(), &st);
  EXPECT_EQ(all["data"].device, static_cast<uint64_t>(st.st_dev));
}

TEST_P(FsWalkLinux, OpensSubfoldersOnlyThroughRealFolders) {
  TempDir dir;
  fs::create_directories(dir.at("a/b"));
  makeFile(dir.at("file"), 10);
  fs::create_directory_symlink("a", dir.at("link"));
  auto root = make()->openRoot(dir.path());
  ASSERT_TRUE(root.ok());
  using Kind = FsOpenFailure::Kind;
  EXPECT_EQ((*root)->openChild("link").error().kind, Kind::vanished);
  EXPECT_EQ((*root)->openChild("file").error().kind, Kind::vanished);
  EXPECT_EQ((*root)->openChild("missing").error().kind, Kind::vanished);
  EXPECT_EQ(make()->openRoot(dir.at("file")).error().kind, Kind::vanished);
  EXPECT_EQ(make()->statRoot(dir.at("missing")).error(), ENOENT);
  auto viaLink = make()->statRoot(dir.at("link"));
  ASSERT_TRUE(viaLink.ok());
  EXPECT_TRUE(viaLink->isDirectory);
}

TEST_P(FsWalkLinux, ReopensReleasedFoldersAndNoticesReplacedOnes) {
  TempDir dir;
  fs::create_directories(dir.at("a/b/c"));
  fs::create_directories(dir.at("a/b/d"));
  auto fsys = make();
  auto root = fsys->openRoot(dir.path());
  ASSERT_TRUE(root.ok());
  readAll(**root, 16);
  auto a = (*root)->openChild("a");
  ASSERT_TRUE(a.ok());
  readAll(**a, 16);
  auto b = (*a)->openChild("b");
  ASSERT_TRUE(b.ok());
  readAll(**b, 16);
  (*root)->release();
  (*a)->release();
  (*b)->release();
  // Reopened from the root's path, one level at a time.
  EXPECT_TRUE((*b)->openChild("c").ok());
  (*b)->release();
  // The same path now names another folder: not the one that was listed.
  fs::rename(dir.at("a"), dir.at("old"));
  fs::create_directories(dir.at("a/b/d"));
  EXPECT_EQ((*b)->openChild("d").error().kind, FsOpenFailure::Kind::vanished);
}

INSTANTIATE_TEST_SUITE_P(Kernels, FsWalkLinux, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "openat2" : "olderKernel"; });

TEST(FsWalkLinuxPermissions, UnsearchableFolderCountsItsEntries) {
  TempDir dir;
  makeFile(dir.at("noexec/f"), 4096);
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.at("noexec").c_str(), 0744);  // others may list it but not look inside
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no unprivileged user";
  std::string why;
  auto out = testing::inChild(
      [&]() -> std::string {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
          return "SKIP: cannot become an unprivileged user";
        auto fsys = makeLinuxFileSystem();
        auto root = fsys->openRoot(dir.path());
        if (!root.ok()) return "root failed";
        auto sub = (*root)->openChild("noexec");
        if (!sub.ok()) return "open failed " + std::to_string(sub.error().code);
        FsErrorTally tally;
        auto all = readAll(**sub, 8, &tally);
        return std::to_string(all.size()) + " " + std::to_string(tally.permission) + " " +
               std::to_string(tally.other);
      },
      &why);
  if (!out) GTEST_SKIP() << why;
  EXPECT_EQ(*out, "0 1 0");
}

TEST(FsWalkLinuxAccess, SandboxWithoutTheHomeFolderHasNoFullAccess) {
  TempDir dir;
  const char* oldHome = std::getenv("HOME");
  std::string saved = oldHome ? oldHome : "";
  ::setenv("HOME", dir.path().c_str(), 1);
  EXPECT_TRUE(makeLinuxFileSystem({true, true, dir.at("no-such-file")})->hasFullDiskAccess());
  makeFile(dir.at(".flatpak-info"), 1);
  EXPECT_TRUE(makeLinuxFileSystem({true, true, dir.at(".flatpak-info")})->hasFullDiskAccess());
  ::setenv("HOME", dir.at("hidden-home").c_str(), 1);
  EXPECT_FALSE(makeLinuxFileSystem({true, true, dir.at(".flatpak-info")})->hasFullDiskAccess());
  EXPECT_EQ(makeLinuxFileSystem()->homeFolder(), dir.at("hidden-home"));
  if (oldHome) ::setenv("HOME", saved.c_str(), 1); else ::unsetenv("HOME");
}

}  // namespace
}  // namespace kovra
