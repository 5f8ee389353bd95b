#pragma once
// The installed applications: every .desktop file of the XDG application folders, by desktop
// id, by file path and by the executable it runs. The folders are scanned again only when one
// of their modification times changed. Safe to use from several threads.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kovra::linux_proc {

struct DesktopApp {
  std::string path;  // the .desktop file: the app group's key
  std::string id;    // desktop id, "org.example.App.desktop"
  std::string name;  // Name[tr], else Name
  std::string programBase;  // file name of the program its Exec runs; may be empty
  bool operator==(const DesktopApp&) const = default;
};

class DesktopIndex {
 public:
  using Getenv = std::function<std::optional<std::string>(const char*)>;

  // `folders`: application folders in priority order (the first holder of an id wins).
  explicit DesktopIndex(std::vector<std::string> folders, std::string searchPath = "/usr/local/bin:/usr/bin:/bin");
  // The application folders and program search path of an environment.
  static std::vector<std::string> foldersFrom(const Getenv& getenv);
  // The index of this process's environment.
  static DesktopIndex& shared();

  std::optional<DesktopApp> byId(std::string_view desktopId);
  // `executable` as the kernel reports it (symbolic links resolved).
  std::optional<DesktopApp> byExecutable(std::string_view executable);
  // An indexed file, or else a readable .desktop file owned by root or `ownerUid`.
  std::optional<DesktopApp> byPath(std::string_view path, uint32_t ownerUid);

  // How often the folders' times are checked (0: at every lookup).
  void setCheckInterval(uint64_t nanos) { checkInterval_ = nanos; }
  // How many full scans were made.
  int scanCount() const;

 private:
  void refreshIfChanged();
  void scan();
  void scanFolder(const std::string& top, const std::string& folder, const std::string& idPrefix, int depth);
  std::optional<std::string> resolveProgram(const std::string& program) const;

  mutable std::mutex mutex_;
  std::vector<std::string> folders_;
  std::string searchPath_;
  std::vector<std::pair<std::string, int64_t>> stamps_;  // every scanned folder and its mtime
  std::unordered_map<std::string, DesktopApp> byId_;
  std::unordered_map<std::string, std::string> idByPath_;
  std::unordered_map<std::string, std::string> idByExecutable_;
  uint64_t lastCheck_ = 0;
  uint64_t checkInterval_ = 2'000'000'000ULL;
  bool scanned_ = false;
  int scans_ = 0;
};

// Reads a small regular file whole; false when it is missing, unreadable or too large.
bool readSmallFile(const std::string& path, std::string& out, size_t limit = 256 * 1024);

}  // namespace kovra::linux_proc
