#include "ui/common/icon_cache.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeType>
#include <QPalette>

#include "ui/common/colors.h"
#include "ui/common/symbols.h"

namespace kovra::ui {
namespace {

// The Icon= value of a desktop entry's main group; empty when there is none. Entries are small;
// anything larger than this is not a desktop entry.
QString desktopIconValue(const QString& entryPath) {
  QFile file(entryPath);
  if (file.size() > 256 * 1024 || !file.open(QIODevice::ReadOnly)) return {};
  bool inMainGroup = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inMainGroup = line == QStringLiteral("[Desktop Entry]");
      continue;
    }
    if (!inMainGroup || !line.startsWith(QStringLiteral("Icon"))) continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed() != QStringLiteral("Icon")) continue;
    return line.mid(eq + 1).trimmed();
  }
  return {};
}

// "/usr/share/applications/x.desktop#1000" → "/usr/share/applications/x.desktop".
QString withoutOwnerSuffix(const QString& key) {
  const qsizetype hash = key.lastIndexOf(QLatin1Char('#'));
  if (hash <= 0 || hash + 1 == key.size()) return key;
  for (qsizetype i = hash + 1; i < key.size(); ++i)
    if (!key.at(i).isDigit()) return key;
  return key.left(hash);
}

}  // namespace

IconCache& IconCache::shared() {
  static IconCache cache;
  return cache;
}

IconCache::IconCache(int limit) : limit_(std::max(1, limit)) {}

template <class V, class Fetch>
V IconCache::lookup(std::unordered_map<std::string, V>& map, const std::string& key, Fetch fetch) {
  if (auto it = map.find(key); it != map.end()) return it->second;
  if (map.size() >= static_cast<size_t>(limit_)) map.clear();
  V value = fetch(QString::fromStdString(key));
  map.emplace(key, value);
  return value;
}

QIcon IconCache::appIcon(const std::string& iconNameOrPath) {
  return lookup(appIcons_, iconNameOrPath, [this](const QString& v) { return fetchAppIcon(v); });
}

QIcon IconCache::appIconForEntry(const std::optional<std::string>& desktopEntryPath) {
  if (!desktopEntryPath || desktopEntryPath->empty()) return appIcon("");
  return lookup(entryIcons_, *desktopEntryPath, [this](const QString& key) {
    const QString path = withoutOwnerSuffix(key);
    const QString value = path.endsWith(QStringLiteral(".desktop")) ? desktopIconValue(path) : QString();
    return fetchAppIcon(value);
  });
}

QIcon IconCache::fileIcon(const std::string& path) {
  return lookup(fileIcons_, path, [this](const QString& p) { return fetchFileIcon(p); });
}

QString IconCache::displayName(const std::string& path) {
  return lookup(names_, path, [](const QString& p) {
    QString cleaned = QDir::cleanPath(p);
    if (cleaned.isEmpty() || cleaned == QStringLiteral("/")) return cleaned.isEmpty() ? p : cleaned;
    const QString name = QFileInfo(cleaned).fileName();
    return name.isEmpty() ? cleaned : name;
  });
}

QIcon IconCache::fetchAppIcon(const QString& value) const {
  const QString v = value.trimmed();
  if (!v.isEmpty()) {
    if (QDir::isAbsolutePath(v)) {
      if (QFileInfo(v).isFile()) {
        QIcon icon(v);
        if (!icon.availableSizes().isEmpty() || !icon.pixmap(32).isNull()) return icon;
      }
    } else {
      QIcon themed = QIcon::fromTheme(v);
      // Some entries name the icon with its file extension, which themes do not use.
      if (themed.isNull()) {
        static const QStringList extensions{QStringLiteral(".png"), QStringLiteral(".svg"), QStringLiteral(".xpm")};
        for (const QString& ext : extensions) {
          if (v.endsWith(ext, Qt::CaseInsensitive)) {
            themed = QIcon::fromTheme(v.left(v.size() - ext.size()));
            break;
          }
        }
      }
      if (!themed.isNull()) return themed;
    }
  }
  return adaptiveSymbolIcon("app");
}

QIcon IconCache::fetchFileIcon(const QString& path) const {
  const QFileInfo info(path);
  const bool folder = info.isDir();
  const QMimeType mime = folder ? mimes_.mimeTypeForName(QStringLiteral("inode/directory"))
                                : mimes_.mimeTypeForFile(info, QMimeDatabase::MatchDefault);
  if (mime.isValid()) {
    QIcon themed = QIcon::fromTheme(mime.iconName());
    if (themed.isNull()) themed = QIcon::fromTheme(mime.genericIconName());
    if (!themed.isNull()) return themed;
  }
  return adaptiveSymbolIcon(folder ? "folder" : "doc");
}

}  // namespace kovra::ui
