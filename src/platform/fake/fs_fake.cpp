#include "platform/fake/fs_fake.h"

#include <algorithm>
#include <stdexcept>

namespace kovra {

namespace {

std::string parentOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string join(const std::string& parent, std::string_view name) {
  return parent == "/" ? "/" + std::string(name) : parent + "/" + std::string(name);
}

}  // namespace

class FakeFileSystem::Directory : public FsDirectory {
 public:
  Directory(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  ~Directory() override { release(); }

  size_t read(std::span<FsEntry> out, FsErrorTally& errors) override {
    if (fs_.beforeRead) fs_.beforeRead(path_);
    const Node& folder = fs_.node(path_);
    size_t n = 0;
    while (n < out.size() && next_ < folder.children.size()) {
      const std::string& name = folder.children[next_++];
      std::string path = join(path_, name);
      if (!fs_.contains(path)) continue;  // removed while the walk runs
      const Node& child = fs_.node(path);
      if (child.statError != 0) {
        if (child.statError == ENOENT) continue;
        (isPermissionErrno(child.statError) ? errors.permission : errors.other) += 1;
        continue;
      }
      FsEntry& e = out[n++];
      e.name = name;
      e.kind = child.kind;
      e.allocatedBytes = child.allocatedBytes;
      e.device = child.device;
      e.inode = child.inode;
      e.linkCount = child.linkCount;
      e.isPackage = child.isPackage;
      e.isDataless = child.isDataless;
    }
    if (n == 0) failed_ = folder.readFails;
    return n;
  }

  bool failed() const override { return failed_; }

  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openChild(std::string_view name) override {
    if (!open_) {
      fs_.reopenCount += 1;
      open_ = true;
      fs_.noteOpened();
    }
    return fs_.open(join(path_, name), fs_.node(path_).device);
  }

  void release() override {
    if (open_) fs_.openHandles -= 1;
    open_ = false;
  }

 private:
  FakeFileSystem& fs_;
  std::string path_;
  size_t next_ = 0;
  bool open_ = true;
  bool failed_ = false;
};

FakeFileSystem::FakeFileSystem() { nodes_["/"] = Node{}; }

FakeFileSystem::Node& FakeFileSystem::add(const std::string& path, FsEntryKind kind) {
  if (path.empty() || path[0] != '/' || path == "/") throw std::invalid_argument("fake path: " + path);
  std::string parent = parentOf(path);
  if (!contains(parent)) addFolder(parent);
  Node& p = node(parent);
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (std::find(p.children.begin(), p.children.end(), name) == p.children.end()) p.children.push_back(name);
  Node fresh;
  fresh.kind = kind;
  fresh.device = p.device;
  fresh.inode = nextInode_++;
  return nodes_[path] = fresh;
}

FakeFileSystem::Node& FakeFileSystem::addFolder(const std::string& path) {
  if (contains(path)) return node(path);
  return add(path, FsEntryKind::directory);
}

FakeFileSystem::Node& FakeFileSystem::addFile(const std::string& path, uint64_t allocatedBytes) {
  Node& n = add(path, FsEntryKind::file);
  n.allocatedBytes = allocatedBytes;
  return n;
}

FakeFileSystem::Node& FakeFileSystem::addSymlink(const std::string& path) { return add(path, FsEntryKind::symlink); }

FakeFileSystem::Node& FakeFileSystem::node(const std::string& path) {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) throw std::out_of_range("no fake node: " + path);
  return it->second;
}

Result<FsRootInfo, int> FakeFileSystem::statRoot(const std::string& path) {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return Failure{ENOENT};
  if (it->second.statError != 0) return Failure{it->second.statError};
  return FsRootInfo{it->second.device, it->second.kind == FsEntryKind::directory};
}

Result<std::unique_ptr<FsDirectory>, FsOpenFailure> FakeFileSystem::openRoot(const std::string& path) {
  return open(path, std::nullopt);
}

Result<std::unique_ptr<FsDirectory>, FsOpenFailure> FakeFileSystem::open(const std::string& path,
                                                                         std::optional<uint64_t> device) {
  using Kind = FsOpenFailure::Kind;
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return Failure{FsOpenFailure{Kind::vanished, ENOENT}};
  const Node& n = it->second;
  if (n.kind != FsEntryKind::directory) return Failure{FsOpenFailure{Kind::vanished, ENOTDIR}};
  if (device && n.device != *device) return Failure{FsOpenFailure{Kind::otherDevice, EXDEV}};
  if (n.openError != 0)
    return Failure{FsOpenFailure{isPermissionErrno(n.openError) ? Kind::permission : Kind::other, n.openError}};
  noteOpened();
  return std::unique_ptr<FsDirectory>(std::make_unique<Directory>(*this, path));
}

void FakeFileSystem::noteOpened() {
  openHandles += 1;
  maxOpenHandles = std::max(maxOpenHandles, openHandles);
}

}  // namespace kovra
