#pragma once
// Small helpers for reading kernel files: a file kept open and re-read from offset 0 into a
// reused buffer, and the "<path> okunamadı: <reason> (errno N)" failure texts.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace kovra::linuxfs {

// "<strerror> (errno N)"
std::string errnoText(int err);
// "<path> okunamadı: <strerror> (errno N)"
std::string readFailure(std::string_view path, int err);

// A kernel file that the kernel generates in one piece (/proc/stat, /proc/meminfo, the pressure
// files, sysfs attributes). The descriptor stays open between reads and the buffer is reused, so a
// steady read is one pread and no allocation. A failed read closes the descriptor; the next read
// opens the file again.
class ProcFile {
 public:
  explicit ProcFile(std::string path);
  ~ProcFile();
  ProcFile(ProcFile&& other) noexcept;
  ProcFile& operator=(ProcFile&& other) noexcept;
  ProcFile(const ProcFile&) = delete;
  ProcFile& operator=(const ProcFile&) = delete;

  // The whole contents, valid until the next read; on failure the errno.
  Result<std::string_view, int> read();
  const std::string& path() const { return path_; }

 private:
  void close();
  std::string path_;
  int fd_ = -1;
  std::vector<char> buffer_;
};

// Reads a whole small file at once (open, read until the end, close) into `out`. Returns 0 or the
// errno.
int readWholeFile(const std::string& path, std::string& out);

}  // namespace kovra::linuxfs
