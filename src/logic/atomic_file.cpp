#include "logic/atomic_file.h"

#include "core/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

std::string baseOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens a folder that files may be written in: this user's own, and no one else may write in it.
Result<UniqueFd, std::string> openOwnFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return Failure{describeErrno("open", folder, errno)};
  struct stat st {};
  if (::fstat(dir.get(), &st) != 0) return Failure{describeErrno("fstat", folder, errno)};
  if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return Failure{folder + ": klasör bu kullanıcının değil ya da başka kullanıcılar yazabiliyor, yazılmadı"};
  }
  return dir;
}

FileIdentity identityOf(const struct stat& st, bool isLink) {
  return FileIdentity{true, isLink, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
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

Result<Unit, std::string> checkFolderOf(const std::string& path) {
  const std::string folder = parentOf(path);
  auto made = makeFolders(folder);
  if (!made.ok()) return made;
  auto dir = openOwnFolder(folder);
  if (!dir.ok()) return Failure{dir.error()};
  return Unit{};
}

Result<FileIdentity, std::string> writeAtomically(const std::string& path, std::string_view contents, unsigned mode,
                                                  const std::optional<FileIdentity>& seen) {
  const std::string folder = parentOf(path);
  const std::string name = baseOf(path);
  auto made = makeFolders(folder);
  if (!made.ok()) return Failure{made.error()};
  auto dir = openOwnFolder(folder);
  if (!dir.ok()) return Failure{dir.error()};

  // A symbolic link (say, into a dotfiles folder) stays a link and the file it points to is
  // replaced, but only the link the caller read, still pointing where it did.
  struct stat st {};
  const bool isLink = ::fstatat(dir->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
  auto sameLinkAsSeen = [&]() {
    struct stat target {};
    return ::fstatat(dir->get(), name.c_str(), &target, 0) == 0 && S_ISREG(target.st_mode) && seen &&
           seen->isLink && seen->exists && seen->device == static_cast<uint64_t>(target.st_dev) &&
           seen->inode == static_cast<uint64_t>(target.st_ino);
  };
  const std::string changedLink = path + ": okunduğundan beri değişmiş bir bağlantı, izlenmedi";
  std::string targetFolder = folder;
  std::string targetName = name;
  UniqueFd linkedDir;
  int targetDir = dir->get();
  if (isLink) {
    if (!sameLinkAsSeen()) return Failure{changedLink};
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return Failure{describeErrno("realpath", path, errno)};
    const std::string target = resolved;
    std::free(resolved);
    targetFolder = parentOf(target);
    targetName = baseOf(target);
    auto opened = openOwnFolder(targetFolder);
    if (!opened.ok()) return Failure{opened.error()};
    linkedDir = std::move(*opened);
    targetDir = linkedDir.get();
  }

  // A file being replaced keeps its permissions (a user may have made it read-only, say).
  struct stat existing {};
  const bool replacing = ::fstatat(targetDir, targetName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISREG(existing.st_mode);
  if (replacing) mode = existing.st_mode & 0777;

  static std::atomic<unsigned> serial{0};
  std::string temporary;
  UniqueFd fd;
  for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
    temporary = "." + targetName + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fd.reset(::openat(targetDir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.valid() && errno != EEXIST) break;
  }
  const std::string temporaryPath = targetFolder + "/" + temporary;
  if (!fd.valid()) return Failure{describeErrno("open", temporaryPath, errno)};

  auto fail = [&](std::string_view call) -> Result<FileIdentity, std::string> {
    const int error = errno;
    fd.reset();
    ::unlinkat(targetDir, temporary.c_str(), 0);
    return Failure{describeErrno(call, temporaryPath, error)};
  };

  // Set outright: the mask applied at creation must not narrow a mode that is kept.
  if (replacing && ::fchmod(fd.get(), mode) != 0) return fail("fchmod");

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
  struct stat made_st {};
  if (::fstat(fd.get(), &made_st) != 0) return fail("fstat");
  if (::close(fd.release()) != 0) {
    const int error = errno;
    ::unlinkat(targetDir, temporary.c_str(), 0);
    return Failure{describeErrno("close", temporaryPath, error)};
  }
  // The link may have been pointed elsewhere while the file was written.
  if (isLink && !sameLinkAsSeen()) {
    ::unlinkat(targetDir, temporary.c_str(), 0);
    return Failure{changedLink};
  }
  if (::renameat(targetDir, temporary.c_str(), targetDir, targetName.c_str()) != 0) {
    const int error = errno;
    ::unlinkat(targetDir, temporary.c_str(), 0);
    return Failure{describeErrno("rename", targetFolder + "/" + targetName, error)};
  }
  // Make the rename itself durable; a failure here leaves a correct file, so it is not reported.
  ::fsync(targetDir);
  return identityOf(made_st, isLink);
}

Result<std::string, ReadError> readWhole(const std::string& path, size_t maxBytes, FileIdentity* seen) {
  FileIdentity identity;
  // Never wait for a writer (a named pipe) and never follow a link unawares.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (!fd.valid() && errno == ELOOP) {
    identity.isLink = true;
    fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  }
  if (seen != nullptr) *seen = identity;
  if (!fd.valid()) {
    const int error = errno;
    return Failure{ReadError{error == ENOENT || error == ENOTDIR, describeErrno("open", path, error)}};
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Failure{ReadError{false, describeErrno("fstat", path, errno)}};
  if (!S_ISREG(st.st_mode)) return Failure{ReadError{false, path + ": düzenli bir dosya değil"}};
  identity = identityOf(st, identity.isLink);
  if (seen != nullptr) *seen = identity;
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
