#include "platform/linux/kernel_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kovra::linuxfs {

namespace {
constexpr size_t kInitialBuffer = 8192;
constexpr size_t kMaxBuffer = size_t{16} << 20;  // a kernel file larger than this is not one we read
}  // namespace

std::string errnoText(int err) { return std::string(std::strerror(err)) + " (errno " + std::to_string(err) + ")"; }

std::string readFailure(std::string_view path, int err) { return std::string(path) + " okunamadı: " + errnoText(err); }

ProcFile::ProcFile(std::string path) : path_(std::move(path)) {}

ProcFile::~ProcFile() { close(); }

ProcFile::ProcFile(ProcFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), buffer_(std::move(other.buffer_)) {}

ProcFile& ProcFile::operator=(ProcFile&& other) noexcept {
  if (this != &other) {
    close();
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

void ProcFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Result<std::string_view, int> ProcFile::read() {
  if (fd_ < 0) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return Failure{errno};
  }
  if (buffer_.empty()) buffer_.resize(kInitialBuffer);
  for (;;) {
    // One read from offset 0 returns the file as generated at that moment; a full buffer may
    // mean the file is longer, so grow and read again from the start.
    ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close();
      return Failure{err};
    }
    if (static_cast<size_t>(n) < buffer_.size()) return std::string_view(buffer_.data(), static_cast<size_t>(n));
    if (buffer_.size() >= kMaxBuffer) {
      close();
      return Failure{EFBIG};
    }
    buffer_.resize(buffer_.size() * 2);
  }
}

int readWholeFile(const std::string& path, std::string& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char chunk[4096];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return err;
    }
    if (n == 0) break;
    if (out.size() + static_cast<size_t>(n) > kMaxBuffer) {
      ::close(fd);
      return EFBIG;
    }
    out.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return 0;
}

}  // namespace kovra::linuxfs
