#include "platform/linux/desktop_index.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "support/temp_dir.h"

namespace kovra::linux_proc {
namespace {

std::string entry(const std::string& name, const std::string& exec, const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

TEST(DesktopIndex, FirstFolderWinsAndSubFoldersFormIds) {
  testing::TempDir dir;
  dir.write("a/applications/org.ex.Same.desktop", entry("From A", "same"));
  dir.write("b/applications/org.ex.Same.desktop", entry("From B", "same"));
  dir.write("a/applications/org.ex.Gone.desktop", "[Desktop Entry]\nType=Application\nName=x\nHidden=true\n");
  dir.write("b/applications/org.ex.Gone.desktop", entry("Masked", "gone"));
  dir.write("b/applications/kde/tool.desktop", entry("Tool", "tool", "Name[tr]=Araç\n"));
  dir.write("b/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=x\n");
  dir.write("b/applications/broken.desktop", "no group here");
  DesktopIndex index({dir.at("a/applications"), dir.at("b/applications"), dir.at("missing")});
  EXPECT_EQ(index.byId("org.ex.Same.desktop")->name, "From A");
  EXPECT_FALSE(index.byId("org.ex.Gone.desktop"));
  auto tool = index.byId("kde-tool.desktop");
  ASSERT_TRUE(tool);
  EXPECT_EQ(tool->name, "Araç");
  EXPECT_EQ(tool->path, dir.at("b/applications/kde/tool.desktop"));
  EXPECT_FALSE(index.byId("link.desktop"));
  EXPECT_FALSE(index.byId("broken.desktop"));
  EXPECT_FALSE(index.byId("../a/applications/org.ex.Same.desktop"));
  EXPECT_EQ(index.scanCount(), 1);
}

TEST(DesktopIndex, ProgramsAreFoundThroughTheSearchPathAndLinks) {
  testing::TempDir dir;
  std::string real = dir.write("opt/editor-bin", "#!/bin/sh\n");
  ::chmod(real.c_str(), 0755);
  ::mkdir(dir.at("bin").c_str(), 0755);
  ASSERT_EQ(::symlink(real.c_str(), dir.at("bin/editor").c_str()), 0);
  dir.write("apps/editor.desktop", entry("Editor", "env LANG=C editor %F"));
  dir.write("apps/viewer.desktop", entry("Viewer", "sh -c 'x'", "TryExec=" + real + "\n"));
  dir.write("apps/shell.desktop", entry("Shell", "sh -c 'editor'"));
  DesktopIndex index({dir.at("apps")}, "relative:" + dir.at("bin"));
  auto editor = index.byExecutable(real);
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->id, "editor.desktop");  // first by name order; viewer's TryExec names the same file
  EXPECT_EQ(index.byExecutable(real + " (deleted)")->id, "editor.desktop");
  EXPECT_FALSE(index.byExecutable("/bin/sh"));
  EXPECT_FALSE(index.byExecutable("/usr/bin/dash"));
}

TEST(DesktopIndex, ScansAgainOnlyWhenAFolderChanged) {
  testing::TempDir dir;
  dir.write("apps/one.desktop", entry("One", "one"));
  DesktopIndex index({dir.at("apps")});
  index.setCheckInterval(0);
  EXPECT_TRUE(index.byId("one.desktop"));
  EXPECT_FALSE(index.byId("two.desktop"));
  EXPECT_EQ(index.scanCount(), 1);
  dir.write("apps/sub/two.desktop", entry("Two", "two"));
  // The new subfolder changed the folder's time, unless both writes fell in one clock tick:
  // give it a time of its own.
  const timespec stamp[2] = {{1'000'000, 0}, {1'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.at("apps").c_str(), stamp, 0), 0);
  EXPECT_TRUE(index.byId("sub-two.desktop"));
  EXPECT_EQ(index.scanCount(), 2);
  EXPECT_TRUE(index.byId("one.desktop"));
  EXPECT_EQ(index.scanCount(), 2);
}

TEST(DesktopIndex, FilesOutsideTheFolders) {
  testing::TempDir dir;
  std::string outside = dir.write("elsewhere/x.desktop", entry("Outside", "x"));
  std::string wrong = dir.write("elsewhere/x.txt", entry("Text", "x"));
  DesktopIndex index({dir.at("apps")});
  auto app = index.byPath(outside, ::getuid());
  ASSERT_TRUE(app);
  EXPECT_EQ(app->name, "Outside");
  EXPECT_FALSE(index.byPath(wrong, ::getuid()));
  EXPECT_FALSE(index.byPath("relative.desktop", ::getuid()));
  EXPECT_FALSE(index.byPath(dir.at("elsewhere"), ::getuid()));
  if (::getuid() != 0) GTEST_SKIP() << "ownership check needs a file of another user";
  ASSERT_EQ(::chown(outside.c_str(), 4321, 4321), 0);
  EXPECT_FALSE(index.byPath(outside, 1000));  // neither root's nor the process user's
  EXPECT_TRUE(index.byPath(outside, 4321));
}

TEST(DesktopIndex, FoldersOfAnEnvironment) {
  std::map<std::string, std::string> env{{"HOME", "/home/u"}, {"XDG_DATA_DIRS", "/x/share/:relative:/y"}};
  auto get = [&](const char* n) -> std::optional<std::string> {
    auto it = env.find(n);
    return it == env.end() ? std::nullopt : std::optional(it->second);
  };
  EXPECT_EQ(DesktopIndex::foldersFrom(get),
            (std::vector<std::string>{"/home/u/.local/share/applications", "/x/share/applications",
                                      "/y/applications", "/var/lib/snapd/desktop/applications"}));
  env["XDG_DATA_HOME"] = "/d";
  env.erase("XDG_DATA_DIRS");
  EXPECT_EQ(DesktopIndex::foldersFrom(get),
            (std::vector<std::string>{"/d/applications", "/usr/local/share/applications", "/usr/share/applications",
                                      "/var/lib/snapd/desktop/applications"}));
}

}  // namespace
}  // namespace kovra::linux_proc
