#pragma once
// An in-memory folder tree behind the FileSystem interface, for tests of the disk scan: packages,
// dataless folders, other devices and failing entries can be set up freely.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fs_walk.h"

namespace kovra {

class FakeFileSystem : public FileSystem {
 public:
  struct Node {
    FsEntryKind kind = FsEntryKind::directory;
    uint64_t allocatedBytes = 0;
    uint64_t device = 1;
    uint64_t inode = 0;
    uint64_t linkCount = 1;
    bool isPackage = false;
    bool isDataless = false;
    int openError = 0;       // errno when the folder is opened
    int statError = 0;       // errno when the entry is examined during its folder's listing
    bool readFails = false;  // listing the folder breaks off after its entries
    std::vector<std::string> children;  // names, in listing order
  };

  FakeFileSystem();

  // Each adds the node and any missing parent folders (on the parent's device), and returns it.
  Node& addFolder(const std::string& path);
  Node& addFile(const std::string& path, uint64_t allocatedBytes);
  Node& addSymlink(const std::string& path);
  Node& node(const std::string& path);
  bool contains(const std::string& path) const { return nodes_.count(path) != 0; }

  Result<FsRootInfo, int> statRoot(const std::string& path) override;
  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> openRoot(const std::string& path) override;
  std::optional<FsVolumeUsage> volumeUsage(const std::string&) override { return usage; }
  std::string homeFolder() override { return home; }
  bool hasFullDiskAccess() override { return fullDiskAccess; }

  std::string home = "/home/user";
  std::optional<FsVolumeUsage> usage;
  bool fullDiskAccess = true;
  // Called with the folder's path before each batch of its entries is read.
  std::function<void(const std::string&)> beforeRead;

  // Handle accounting of the folders the walk has open.
  int openHandles = 0;
  int maxOpenHandles = 0;
  int reopenCount = 0;

 private:
  class Directory;
  Result<std::unique_ptr<FsDirectory>, FsOpenFailure> open(const std::string& path, std::optional<uint64_t> device);
  Node& add(const std::string& path, FsEntryKind kind);
  void noteOpened();

  std::map<std::string, Node> nodes_;
  uint64_t nextInode_ = 2;
};

}  // namespace kovra
