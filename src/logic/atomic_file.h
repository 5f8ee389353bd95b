#pragma once
// Small file helpers for the settings and the autostart entry. Errors are descriptions naming
// the failing call, the path and the system's reason, e.g. "open /x/y: Permission denied".

#include <string>
#include <string_view>

#include "core/result.h"

namespace kovra::FileIO {

// Replaces `path` with `contents` so that a crash leaves either the old or the new file: writes a
// temporary file beside it, flushes it to disk, renames it over `path` and flushes the folder.
// Missing parent folders are created (mode 0700). When `path` is a symbolic link to an existing
// file, that file is replaced and the link kept.
Result<Unit, std::string> writeAtomically(const std::string& path, std::string_view contents, unsigned mode = 0600);

// The whole file; the error tells a missing file (`missing` set: no such file, or a path through
// something that is not a folder) from other failures.
struct ReadError {
  bool missing = false;
  std::string description;
  bool operator==(const ReadError&) const = default;
};
Result<std::string, ReadError> readWhole(const std::string& path, size_t maxBytes = 1 << 20);

// Creates `path` and its missing parents with `mode`.
Result<Unit, std::string> makeFolders(const std::string& path, unsigned mode = 0700);

// "<call> <path>: <reason for errno>"
std::string describeErrno(std::string_view call, const std::string& path, int error);

}  // namespace kovra::FileIO
