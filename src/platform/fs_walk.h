#pragma once
// Reading folder trees for the disk scan: one folder at a time, its entries in batches, each
// entry with just the facts the scan needs. The scan never follows a symbolic link and never
// leaves the device it started on. `makeFileSystem()` is the platform's implementation; the fake
// one in platform/fake builds trees in memory for tests.

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/result.h"

namespace kovra {

enum class FsEntryKind : uint8_t { file, directory, symlink };

struct FsEntry {
  std::string name;  // the bytes the file system stores, not necessarily UTF-8
  FsEntryKind kind = FsEntryKind::file;
  uint64_t allocatedBytes = 0;  // files: the bytes the file occupies on disk
  // The entry's device, when the listing looked it up. Folders may leave it absent where opening
  // them refuses to cross into another mount anyway.
  std::optional<uint64_t> device;
  uint64_t inode = 0;
  uint64_t linkCount = 1;
  bool isPackage = false;   // a folder shown to the user as one document or application
  bool isDataless = false;  // a folder whose contents are not stored locally
};

// Errors met while reading one folder's entries.
struct FsErrorTally {
  int64_t permission = 0;
  int64_t other = 0;
};

// Why a folder could not be opened.
struct FsOpenFailure {
  enum class Kind {
    permission,   // no right to read it
    vanished,     // gone or replaced since it was listed; not an error
    otherDevice,  // a mount point: the walk stays on its device; not an error
    other,
  };
  Kind kind = Kind::other;
  int code = 0;  // errno
  bool operator==(const FsOpenFailure&) const = default;
};

inline bool isPermissionErrno(int code) { return code == EACCES || code == EPERM; }

class FsDirectory {
 public:
  virtual ~FsDirectory() = default;
  // Fills the front of `out` with the next entries ("." and ".." excluded) and returns how many;
  // 0 once the folder has no more. Entries that vanished are skipped silently; entries that could
  // not be examined are counted in `errors` and skipped. `failed()` tells whether reading the
  // folder itself broke off.
  virtual size_t read(std::span<FsEntry> out, FsErrorTally& errors) = 0;
  virtual bool failed() const = 0;
  // Opens the subfolder `name` that this folder listed.
  virtual Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openChild(std::string_view name) = 0;
  // Gives back the system handle until it is needed again; a deep walk keeps few handles open.
  virtual void release() = 0;
};

struct FsRootInfo {
  uint64_t device = 0;
  bool isDirectory = false;
};

struct FsVolumeUsage {
  std::optional<uint64_t> totalBytes;
  std::optional<uint64_t> availableBytes;
  std::optional<uint64_t> availableForImportantBytes;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Examines the path, following symbolic links; the error is the errno.
  virtual Result<FsRootInfo, int> statRoot(const std::string& path) = 0;
  virtual Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openRoot(const std::string& path) = 0;
  // Capacity figures of the volume holding `path`; absent when they cannot be read.
  virtual std::optional<FsVolumeUsage> volumeUsage(const std::string& path) = 0;
  // The current user's home folder.
  virtual std::string homeFolder() = 0;
  // Whether this process may read every folder of the user (false when a sandbox hides them).
  virtual bool hasFullDiskAccess() = 0;
};

std::unique_ptr<FileSystem> makeFileSystem();

}  // namespace kovra
