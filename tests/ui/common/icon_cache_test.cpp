#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui/common/icon_cache.h"

namespace kovra::ui {
namespace {

TEST(IconCache, MissWhenFullEmptiesTheMapFirst) {
  IconCache cache(3);
  for (const char* p : {"/a/one", "/a/two", "/a/three"}) cache.displayName(p);
  EXPECT_EQ(cache.nameCount(), 3);
  // Hits never evict.
  EXPECT_EQ(cache.displayName("/a/two"), QStringLiteral("two"));
  EXPECT_EQ(cache.nameCount(), 3);
  EXPECT_EQ(cache.displayName("/a/four"), QStringLiteral("four"));
  EXPECT_EQ(cache.nameCount(), 1);
  // The maps are independent.
  cache.appIcon("no-such-icon-anywhere");
  EXPECT_EQ(cache.appIconCount(), 1);
  EXPECT_EQ(cache.nameCount(), 1);
  EXPECT_EQ(IconCache::shared().limit(), 500);
}

TEST(IconCache, DisplayNamesOfOddPaths) {
  IconCache cache;
  EXPECT_EQ(cache.displayName("/home/u/Belgeler/"), QStringLiteral("Belgeler"));
  EXPECT_EQ(cache.displayName("/"), QStringLiteral("/"));
  EXPECT_EQ(cache.displayName(""), QString());
}

TEST(IconCache, UnknownIconsFallBackToGenericSymbols) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile f(dir.filePath(QStringLiteral("notes.unknownext")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
  f.close();
  IconCache cache;
  EXPECT_FALSE(cache.appIcon("").isNull());
  EXPECT_FALSE(cache.appIcon("/no/such/file.png").isNull());
  EXPECT_FALSE(cache.fileIcon(f.fileName().toStdString()).isNull());
  EXPECT_FALSE(cache.fileIcon(dir.path().toStdString()).isNull());
  EXPECT_FALSE(cache.fileIcon("/no/such/path").isNull());
}

}  // namespace
}  // namespace kovra::ui

namespace kovra::ui {
namespace {

TEST(IconCache, AppIconFromTheDesktopEntryIconValue) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString iconPath = dir.filePath(QStringLiteral("editor.png"));
  QPixmap red(16, 16);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(iconPath));
  const QString entry = dir.filePath(QStringLiteral("editor.desktop"));
  QFile f(entry);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(("[Desktop Action new]\nIcon=/nowhere.png\n[Desktop Entry]\nName=Editor\nIcon[tr]=/nowhere.png\nIcon = " +
           iconPath + "\n")
              .toUtf8());
  f.close();
  IconCache cache;
  // The group key may carry the owner's uid after '#'.
  const QImage image = cache.appIconForEntry((entry + QStringLiteral("#1000")).toStdString()).pixmap(16).toImage();
  EXPECT_EQ(QColor(image.pixel(8, 8)), QColor(Qt::red));
  EXPECT_EQ(cache.entryIconCount(), 1);
  EXPECT_FALSE(cache.appIconForEntry(std::nullopt).isNull());
}

}  // namespace
}  // namespace kovra::ui
