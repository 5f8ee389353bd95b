#pragma once
// Small file helpers for the settings and the autostart entry. Errors are descriptions naming
// the failing call, the path and the system's reason, e.g. "open /x/y: Permission denied".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace kovra::FileIO {

// What a path named when it was read or written: nothing, a file, or a symbolic link to a file.
struct FileIdentity {
  bool exists = false;   // a file was there (for a link: its target)
  bool isLink = false;   // the path itself is a symbolic link
  uint64_t device = 0;   // of the file (a link's target)
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Replaces `path` with `contents` so that a crash leaves either the old or the new file: writes a
// temporary file beside it (created anew: O_EXCL | O_NOFOLLOW), flushes it to disk, renames it
// over `path` and flushes the folder. Missing parent folders are created (mode 0700).
// A folder that is not the user's own or that other users may write in is refused: someone else
// could put a link there. A symbolic link at `path` is written through (the file it points to is
// replaced, the link kept) only when `seen` says it was a link to that same file when the caller
// read it; any other link is refused. A file that is replaced keeps its mode; `mode` is for a new
// one. Returns what `path` names afterwards.
Result<FileIdentity, std::string> writeAtomically(const std::string& path, std::string_view contents,
                                                  unsigned mode = 0600,
                                                  const std::optional<FileIdentity>& seen = std::nullopt);

// Whether writeAtomically would accept the folder of `path` (creating it when missing).
Result<Unit, std::string> checkFolderOf(const std::string& path);

// The whole file; the error tells a missing file (`missing` set: no such file, or a path through
// something that is not a folder) from other failures. Never blocks on the opening (O_NONBLOCK);
// anything but a regular file (a folder, a named pipe, a device) is an error. A symbolic link is
// followed, and `seen` (when given) says so and which file it reached.
struct ReadError {
  bool missing = false;
  std::string description;
  bool operator==(const ReadError&) const = default;
};
Result<std::string, ReadError> readWhole(const std::string& path, size_t maxBytes = 1 << 20,
                                         FileIdentity* seen = nullptr);

// Creates `path` and its missing parents with `mode`.
Result<Unit, std::string> makeFolders(const std::string& path, unsigned mode = 0700);

// "<call> <path>: <reason for errno>"
std::string describeErrno(std::string_view call, const std::string& path, int error);

}  // namespace kovra::FileIO
