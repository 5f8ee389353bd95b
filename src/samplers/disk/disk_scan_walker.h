#pragma once
// One walk of a folder tree: finds the largest folders and files below the root, reports
// progress, stops when asked. Depth-first with an explicit stack, so a deep tree cannot exhaust
// the call stack; memory follows the depth and the width of one level, not the size of the tree.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/contracts.h"
#include "core/records.h"
#include "platform/fs_walk.h"
#include "samplers/disk/disk_scan_lists.h"

namespace kovra {

// A subfolder waiting to be walked.
struct ScanPendingDirectory {
  std::string name;
  bool isPackage = false;
};

// One folder on the walk stack. It keeps only its name: paths are joined from the stack when a
// folder or file enters a list, so a deep tree does not hold a long path per level.
struct ScanFrame {
  std::string name;  // the root frame holds the root's path
  bool isPackage = false;
  std::unique_ptr<FsDirectory> dir;
  std::vector<ScanPendingDirectory> subdirectories;
  size_t nextIndex = 0;
  uint64_t totalBytes = 0;    // bytes of all files below this folder found so far
  uint64_t largestChild = 0;  // the two largest finished subfolder totals
  uint64_t secondChild = 0;
  std::vector<ScanSizedURL> best;  // this folder's best candidates among its descendants
};

// Errors met while listing one folder.
struct ScanErrorSink {
  int64_t permissionErrors = 0;
  int64_t otherErrors = 0;
  bool directoryFailed = false;
};

struct ScanSubtree;

// Monotonic time in nanoseconds.
using ScanClock = std::function<uint64_t()>;
ScanClock steadyScanClock();

class DiskScanWalker {
 public:
  static constexpr size_t folderLimit = 10;
  static constexpr size_t fileLimit = 20;
  static constexpr size_t batchSize = 512;
  static constexpr uint64_t reportIntervalNanos = 250'000'000;
  // Folder handles kept open: the top frames of the stack, plus every frame at a depth that is a
  // multiple of the spacing, so reopening a folder never has to climb far.
  static constexpr size_t openFrames = 32;
  static constexpr size_t checkpointSpacing = 256;

  // With several `workers`, each subfolder of the root is walked by one of a small pool of
  // threads and the results are merged in the order of the one-thread walk, so the outcome is the
  // same to the byte.
  DiskScanWalker(std::string root, bool hadFullDiskAccess, DiskScanning::ProgressHandler onProgress,
                 FileSystem& fs, std::stop_token stop, ScanClock clock = steadyScanClock(), size_t workers = 1);
  ~DiskScanWalker();

  // Serves one scan only.
  Result<DiskScanResult, ScanError> run();

  enum class Listing { listed, failed, cancelled };

 private:
  enum class Walk { finished, cancelled };

  // Walks until the stack is back to `floor` frames; the frame finished last is left in `done`.
  Walk walk(size_t floor, ScanFrame& done);
  // The pool: starts the workers on the root's subfolders, walks one subtree in a worker, and
  // takes a finished subtree into the root as if it had been walked in place (false: walk it in
  // place after all, because it shares a file with what came before).
  void startPool();
  void stopPool();
  void walkSubtree(ScanSubtree& job);
  Listing awaitSubtree(ScanSubtree& job);
  bool takeSubtree(ScanSubtree& job);

  // Lists the frame on top of the stack.
  Listing list(Result<std::unique_ptr<FsDirectory>, FsOpenFailure> opened);
  void process(FsEntry& entry, ScanFrame& frame);
  bool shouldDescend(const FsEntry& entry) const;
  // `child` was just taken off the stack; its parent is now on top.
  void absorb(ScanFrame& child);
  std::vector<ScanSizedURL> representatives(ScanFrame& frame);
  const std::string& topPath();
  void push(ScanFrame frame);
  ScanFrame pop();
  void releaseHandles();
  void report(bool force);
  DiskScanResult makeResult(ScanFrame& rootFrame);
  std::optional<uint64_t> usedBytes() const;
  bool cancelled() const { return stop_.stop_requested(); }

  struct InodeKey {
    uint64_t device;
    uint64_t inode;
    bool operator==(const InodeKey&) const = default;
  };
  struct InodeHash {
    size_t operator()(const InodeKey& k) const { return std::hash<uint64_t>()(k.inode * 31 + k.device); }
  };

  std::string root_;
  bool hadFullDiskAccess_;
  DiskScanning::ProgressHandler onProgress_;
  FileSystem& fs_;
  std::stop_token stop_;
  ScanClock clock_;
  std::string home_;

  uint64_t rootDevice_ = 0;
  std::optional<uint64_t> estimatedTotalBytes_;
  ScanTopFiles topFiles_{fileLimit};
  int64_t fileCount_ = 0;
  uint64_t scannedBytes_ = 0;
  int64_t skippedCount_ = 0;
  int64_t otherErrorCount_ = 0;
  uint64_t lastReport_ = 0;
  std::vector<ScanFrame> stack_;
  std::string topPath_;  // the path of the frame on top, joined when first needed
  bool topPathValid_ = false;
  std::vector<FsEntry> batch_;
  std::unordered_set<InodeKey, InodeHash> linkedFilesSeen_;  // files with several hard links

  size_t workers_ = 1;
  std::vector<std::shared_ptr<ScanSubtree>> subtrees_;  // the root's subfolders, in walk order
  struct Pool;
  std::unique_ptr<Pool> pool_;
  std::atomic<int64_t>* liveFiles_ = nullptr;  // a subtree walker publishes its progress here
  std::atomic<uint64_t>* liveBytes_ = nullptr;
};

// The path with the home folder written as "~" ("~/Documents").
std::string abbreviateHome(const std::string& path, const std::string& home);
// `parent` + "/" + `name`, without doubling the slash of "/".
std::string childPath(const std::string& parent, std::string_view name);

}  // namespace kovra
