// Folder reading for the disk scan on Linux. Each folder is opened relative to its parent's
// handle, never through a symbolic link and never across a mount (openat2 refuses both before
// the mounted file system is asked anything, so a stale network or FUSE mount cannot hang the
// walk); entries come from getdents64 and are examined with one statx relative to the folder.

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/fs_linux.h"

namespace kovra {

namespace {

constexpr size_t kDirentBufferSize = 64 * 1024;

bool kernelHasOpenat2() {
  static const bool has = [] {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    long fd = ::syscall(SYS_openat2, AT_FDCWD, "/", &how, sizeof how);
    if (fd < 0) return errno != ENOSYS && errno != EPERM;  // EPERM: a sandbox filter refuses it
    ::close(static_cast<int>(fd));
    return true;
  }();
  return has;
}

bool kernelHasStatx() {
  static const bool has = [] {
    struct statx stx {};
    return ::statx(AT_FDCWD, "/", 0, STATX_TYPE, &stx) == 0 || (errno != ENOSYS && errno != EPERM);
  }();
  return has;
}

struct Settings {
  bool openat2 = false;
  bool statx = false;
};

// Each thread reads one folder at a time into its own buffer; another folder read meanwhile gets
// a buffer of its own.
struct ThreadBuffer {
  std::vector<char> bytes = std::vector<char>(kDirentBufferSize);
  bool inUse = false;
};
ThreadBuffer& threadBuffer() {
  thread_local ThreadBuffer buffer;
  return buffer;
}

// An open (or released) folder, kept so it can be reopened from its nearest open ancestor.
struct DirNode {
  std::shared_ptr<DirNode> parent;
  std::string name;  // its name in the parent; the root keeps its path here
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
  ~DirNode() {
    if (fd >= 0) ::close(fd);
    // Frees the chain of ancestors only this node still holds one at a time: left to the
    // destructors, a chain a hundred thousand folders deep would exhaust the stack.
    std::shared_ptr<DirNode> up = std::move(parent);
    while (up && up.use_count() == 1) up = std::move(up->parent);
  }
};

FsOpenFailure classifyOpenError(int code) {
  using Kind = FsOpenFailure::Kind;
  if (isPermissionErrno(code)) return {Kind::permission, code};
  // Gone, or replaced by a file or a symbolic link since it was listed.
  if (code == ENOENT || code == ENOTDIR || code == ELOOP) return {Kind::vanished, code};
  if (code == EXDEV) return {Kind::otherDevice, code};
  return {Kind::other, code};
}

// Opens the subfolder `name` of `dirFd` without following links or crossing a mount; -errno on failure.
int openSubfolder(const Settings& settings, int dirFd, const char* name, dev_t device, ino_t* inode = nullptr) {
  int fd;
  do {
    if (settings.openat2) {
      open_how how{};
      how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
      how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
      fd = static_cast<int>(::syscall(SYS_openat2, dirFd, name, &how, sizeof how));
    } else {
      fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -errno;
  // Without openat2 the device check is what keeps the walk off other mounts.
  struct stat st {};
  int code = ::fstat(fd, &st) != 0 ? errno : st.st_dev != device ? EXDEV : 0;
  if (code != 0) {
    ::close(fd);
    return -code;
  }
  if (inode != nullptr) *inode = st.st_ino;
  return fd;
}

class LinuxDirectory : public FsDirectory {
 public:
  LinuxDirectory(std::shared_ptr<Settings> settings, std::shared_ptr<DirNode> node)
      : settings_(std::move(settings)), node_(std::move(node)) {}
  ~LinuxDirectory() override { dropBuffer(); }

  size_t read(std::span<FsEntry> out, FsErrorTally& errors) override {
    if (done_) return 0;
    if (int e = ensureOpen(*node_); e != 0) return stop(e, errors);
    size_t n = 0;
    while (n < out.size()) {
      if (pos_ >= len_) {
        if (buffer_ == nullptr) takeBuffer();
        ssize_t r;
        do {
          r = ::getdents64(node_->fd, buffer_, bufferSize_);
        } while (r < 0 && errno == EINTR);
        if (r < 0) return n + stop(errno, errors);
        if (r == 0) {
          done_ = true;
          dropBuffer();
          break;
        }
        len_ = static_cast<size_t>(r);
        pos_ = 0;
      }
      const char* record = buffer_ + pos_;
      unsigned short reclen;
      unsigned char type;
      std::memcpy(&reclen, record + offsetof(struct dirent64, d_reclen), sizeof reclen);
      std::memcpy(&type, record + offsetof(struct dirent64, d_type), sizeof type);
      const char* name = record + offsetof(struct dirent64, d_name);
      pos_ += reclen;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      if (describe(name, type, out[n], errors)) ++n;
    }
    return n;
  }

  bool failed() const override { return failed_; }

  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openChild(std::string_view name) override {
    if (int e = ensureOpen(*node_); e != 0) return Failure{classifyOpenError(e)};
    std::string n(name);
    ino_t inode = 0;
    int fd = openSubfolder(*settings_, node_->fd, n.c_str(), node_->dev, &inode);
    if (fd < 0) return Failure{classifyOpenError(-fd)};
    auto child = std::make_shared<DirNode>();
    child->parent = node_;
    child->name = std::move(n);
    child->fd = fd;
    child->dev = node_->dev;  // never another device: that open would have been refused
    child->ino = inode;
    return std::unique_ptr<FsDirectory>(std::make_unique<LinuxDirectory>(settings_, std::move(child)));
  }

  void release() override {
    // Closing in the middle of a listing would lose its position.
    bool reading = !done_ && len_ > 0;
    if (reading || node_->fd < 0) return;
    ::close(node_->fd);
    node_->fd = -1;
  }

 private:
  // Fills `e` for the entry `name`; false when the entry is skipped.
  bool describe(const char* name, unsigned char type, FsEntry& e, FsErrorTally& errors) {
    e.name.assign(name);
    e.device.reset();
    e.allocatedBytes = 0;
    e.inode = 0;
    e.linkCount = 1;
    e.isPackage = false;
    e.isDataless = false;
    // The listing's type spares a stat where it says all the walk needs.
    if (type == DT_LNK) {
      e.kind = FsEntryKind::symlink;
      return true;
    }
    if (type == DT_DIR && settings_->openat2) {
      e.kind = FsEntryKind::directory;  // opening it checks the mount
      return true;
    }
    mode_t mode;
    if (settings_->statx) {
      struct statx stx {};
      if (::statx(node_->fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                  STATX_TYPE | STATX_MODE | STATX_INO | STATX_NLINK | STATX_BLOCKS, &stx) != 0)
        return countFailure(errno, errors);
      mode = stx.stx_mode;
      e.device = makedev(stx.stx_dev_major, stx.stx_dev_minor);
      e.inode = stx.stx_ino;
      e.linkCount = stx.stx_nlink;
      if (stx.stx_mask & STATX_BLOCKS) e.allocatedBytes = stx.stx_blocks * 512;
    } else {
      struct stat st {};
      if (::fstatat(node_->fd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
        return countFailure(errno, errors);
      mode = st.st_mode;
      e.device = st.st_dev;
      e.inode = st.st_ino;
      e.linkCount = st.st_nlink;
      e.allocatedBytes = st.st_blocks < 0 ? 0 : static_cast<uint64_t>(st.st_blocks) * 512;
    }
    e.kind = S_ISLNK(mode) ? FsEntryKind::symlink : S_ISDIR(mode) ? FsEntryKind::directory : FsEntryKind::file;
    return true;
  }

  static bool countFailure(int code, FsErrorTally& errors) {
    if (code == ENOENT) return false;  // removed while the walk runs
    (isPermissionErrno(code) ? errors.permission : errors.other) += 1;
    return false;
  }

  size_t stop(int code, FsErrorTally& errors) {
    done_ = true;
    failed_ = true;
    dropBuffer();
    if (code != ENOENT) (isPermissionErrno(code) ? errors.permission : errors.other) += 1;
    return 0;
  }

  // Reopens a released folder from its nearest open ancestor, one level at a time, and checks it
  // is still the same folder. 0 or an errno.
  int ensureOpen(DirNode& node) {
    if (node.fd >= 0) return 0;
    std::vector<DirNode*> chain;
    DirNode* anchor = &node;
    while (anchor->fd < 0 && anchor->parent) {
      chain.push_back(anchor);
      anchor = anchor->parent.get();
    }
    int fd = anchor->fd;
    bool ownsFd = false;
    if (fd < 0) {  // the root itself was released
      fd = ::open(anchor->name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return errno;
      struct stat st {};
      if (::fstat(fd, &st) != 0 || st.st_dev != anchor->dev || st.st_ino != anchor->ino) {
        ::close(fd);
        return ENOENT;
      }
      ownsFd = true;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      ino_t inode = 0;
      int next = openSubfolder(*settings_, fd, (*it)->name.c_str(), (*it)->dev, &inode);
      if (ownsFd) ::close(fd);
      if (next < 0) return -next;
      if (inode != (*it)->ino) {
        ::close(next);
        return ENOENT;  // replaced by another folder meanwhile
      }
      fd = next;
      ownsFd = true;
    }
    node.fd = fd;
    return 0;
  }

  void takeBuffer() {
    ThreadBuffer& shared = threadBuffer();
    if (!shared.inUse) {
      shared.inUse = true;
      buffer_ = shared.bytes.data();
      bufferSize_ = shared.bytes.size();
      sharedBuffer_ = true;
    } else {
      own_.resize(kDirentBufferSize);
      buffer_ = own_.data();
      bufferSize_ = own_.size();
    }
  }

  void dropBuffer() {
    if (sharedBuffer_) threadBuffer().inUse = false;
    sharedBuffer_ = false;
    buffer_ = nullptr;
    std::vector<char>().swap(own_);
    len_ = pos_ = 0;
  }

  std::shared_ptr<Settings> settings_;
  std::shared_ptr<DirNode> node_;
  char* buffer_ = nullptr;
  size_t bufferSize_ = 0;
  bool sharedBuffer_ = false;
  std::vector<char> own_;
  size_t len_ = 0;
  size_t pos_ = 0;
  bool done_ = false;
  bool failed_ = false;
};

class LinuxFileSystem : public FileSystem {
 public:
  explicit LinuxFileSystem(LinuxFsOptions options)
      : settings_(std::make_shared<Settings>()), flatpakInfo_(std::move(options.flatpakInfoPath)) {
    settings_->openat2 = options.useOpenat2 && kernelHasOpenat2();
    settings_->statx = options.useStatx && kernelHasStatx();
  }

  Result<FsRootInfo, int> statRoot(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Failure{errno};
    return FsRootInfo{static_cast<uint64_t>(st.st_dev), S_ISDIR(st.st_mode)};
  }

  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openRoot(const std::string& path) override {
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Failure{classifyOpenError(errno)};
    auto node = std::make_shared<DirNode>();
    node->name = path;
    node->fd = fd;
    struct stat st {};
    ::fstat(fd, &st);
    node->dev = st.st_dev;
    node->ino = st.st_ino;
    return std::unique_ptr<FsDirectory>(std::make_unique<LinuxDirectory>(settings_, std::move(node)));
  }

  std::optional<FsVolumeUsage> volumeUsage(const std::string& path) override {
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
    FsVolumeUsage usage;
    usage.totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    usage.availableBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return usage;
  }

  std::string homeFolder() override {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) return home;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr && pw.pw_dir)
      return pw.pw_dir;
    return {};
  }

  // Linux knows no such permission; only a Flatpak sandbox that was not given the home folder
  // keeps the scan from it.
  bool hasFullDiskAccess() override {
    if (::access(flatpakInfo_.c_str(), F_OK) != 0) return true;
    int fd = ::open(homeFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }

 private:
  std::shared_ptr<Settings> settings_;
  std::string flatpakInfo_;
};

}  // namespace

std::unique_ptr<FileSystem> makeLinuxFileSystem(LinuxFsOptions options) {
  return std::make_unique<LinuxFileSystem>(options);
}

std::unique_ptr<FileSystem> makeFileSystem() { return makeLinuxFileSystem(); }

}  // namespace kovra
