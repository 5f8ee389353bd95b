#include "logic/atomic_file.h"

#include "core/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kovra::FileIO {

namespace {

std::string parentOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}


}  // namespace

std::string describeErrno(std::string_view call, const std::string& path, int error) {
  return std::string(call) + " " + path + ": " + std::strerror(error);
}

Result<Unit, std::string> makeFolders(const std::string& path, unsigned mode) {
  if (path.empty()) return Unit{};
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Unit{};
    return Failure{describeErrno("mkdir", path, ENOTDIR)};
  }
  const std::string parent = parentOf(path);
  if (parent != path) {
    auto up = makeFolders(parent, mode);
    if (!up.ok()) return up;
  }
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return Failure{describeErrno("mkdir", path, errno)};
  return Unit{};
}

Result<Unit, std::string> writeAtomically(const std::string& requestedPath, std::string_view contents,
                                          unsigned mode) {
  // A symbolic link (say, into a dotfiles folder) stays a link: the file it points to is replaced.
  std::string path = requestedPath;
  struct stat linkInfo {};
  if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  const std::string folder = parentOf(path);
  auto made = makeFolders(folder);
  if (!made.ok()) return made;

  const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
  UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
  if (fd.get() < 0) return Failure{describeErrno("open", temporary, errno)};

  auto fail = [&](std::string_view call) -> Result<Unit, std::string> {
    const int error = errno;
    ::close(fd.release());
    ::unlink(temporary.c_str());
    return Failure{describeErrno(call, temporary, error)};
  };

  size_t written = 0;
  while (written < contents.size()) {
    ssize_t n = ::write(fd.get(), contents.data() + written, contents.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("write");
    }
    written += static_cast<size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("fsync");
  if (::close(fd.release()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failure{describeErrno("close", temporary, error)};
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return Failure{describeErrno("rename", path, error)};
  }
  // Make the rename itself durable; a failure here leaves a correct file, so it is not reported.
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return Unit{};
}

Result<std::string, ReadError> readWhole(const std::string& path, size_t maxBytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    const int error = errno;
    return Failure{ReadError{error == ENOENT || error == ENOTDIR, describeErrno("open", path, error)}};
  }
  std::string out;
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failure{ReadError{false, describeErrno("read", path, errno)}};
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
    if (out.size() > maxBytes) return Failure{ReadError{false, describeErrno("read", path, EFBIG)}};
  }
  return out;
}

}  // namespace kovra::FileIO
