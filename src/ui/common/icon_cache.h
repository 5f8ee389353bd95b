#pragma once
// Icons and display names for apps, files and folders, looked up once and kept. Each map holds at
// most `limit` entries; a lookup that misses when a map is full empties that map first.

#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <optional>
#include <string>
#include <unordered_map>

namespace kovra::ui {

class IconCache {
 public:
  static constexpr int kDefaultLimit = 500;

  // The one instance the screens share (main sequence only).
  static IconCache& shared();

  explicit IconCache(int limit = kDefaultLimit);
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;

  // An app's icon from its desktop entry's Icon= value: a theme icon name or an absolute file path;
  // the generic app symbol when neither gives an icon.
  QIcon appIcon(const std::string& iconNameOrPath);
  // The icon of an app group keyed by its desktop entry's path (optionally followed by "#uid"):
  // the entry's Icon= value as above; the generic app symbol without an entry.
  QIcon appIconForEntry(const std::optional<std::string>& desktopEntryPath);
  // The icon of a file or folder from its MIME type through the icon theme; a generic document or
  // folder symbol otherwise.
  QIcon fileIcon(const std::string& path);
  // The name the file manager shows for a path: its last component.
  QString displayName(const std::string& path);

  int limit() const { return limit_; }
  int appIconCount() const { return static_cast<int>(appIcons_.size()); }
  int fileIconCount() const { return static_cast<int>(fileIcons_.size()); }
  int entryIconCount() const { return static_cast<int>(entryIcons_.size()); }
  int nameCount() const { return static_cast<int>(names_.size()); }

 private:
  template <class V, class Fetch>
  V lookup(std::unordered_map<std::string, V>& map, const std::string& key, Fetch fetch);

  QIcon fetchAppIcon(const QString& value) const;
  QIcon fetchFileIcon(const QString& path) const;

  int limit_;
  std::unordered_map<std::string, QIcon> appIcons_;
  std::unordered_map<std::string, QIcon> entryIcons_;
  std::unordered_map<std::string, QIcon> fileIcons_;
  std::unordered_map<std::string, QString> names_;
  QMimeDatabase mimes_;
};

}  // namespace kovra::ui
