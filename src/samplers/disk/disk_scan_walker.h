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
struct ScanSubtree;
struct ScanPendingDirectory {
  std::string name;
  bool isPackage = false;
  std::shared_ptr<ScanSubtree> handed;  // set when a pool worker handed it to another
};

struct ScanFrame;

// A file with several names met by a pool worker: whether it counts here depends on whether the
// walk met another of its names earlier, which is settled when the worker's part is merged.
struct ScanLinkedFile {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  uint64_t order = 0;  // among the files of the worker's part, in walk order
  std::string name;
};

// A subfolder whose figures wait for the merge: walked, but holding files with several names
// somewhere below, or handed to another worker.
struct ScanDeferred {
  size_t index = 0;  // among its parent's subfolders, for the walk order
  std::unique_ptr<ScanFrame> frame;
  std::shared_ptr<ScanSubtree> job;
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
  // Pool workers only: what the figures above leave out until the merge, in walk order.
  std::vector<ScanLinkedFile> linked;
  std::vector<ScanDeferred> deferred;

  ScanFrame() = default;
  ScanFrame(ScanFrame&&) = default;
  ScanFrame& operator=(ScanFrame&&) = default;
  // Takes deferred subfolders apart one level at a time: a chain of them can be as deep as the tree.
  ~ScanFrame();
};

// Errors met while listing one folder.
struct ScanErrorSink {
  int64_t permissionErrors = 0;
  int64_t otherErrors = 0;
  bool directoryFailed = false;
};

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
  // How many times a part of the tree may be handed on from worker to worker; bounds the nesting
  // the merge follows.
  static constexpr size_t shareLevels = 8;

  // With several `workers`, the subfolders of the root are walked by a small pool of threads; a
  // worker whose part turns out to hold most of the tree hands the rest of it on to idle workers.
  // The parts are merged in the order of the one-thread walk, files with several names counted
  // where that walk meets them first, so the outcome is the same to the byte and nothing is
  // walked twice.
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
  // Settles a finished part: counts its files with several names where the walk meets them
  // first, completes its deferred folders in walk order and adds its figures to this walker's.
  Listing settleSubtree(ScanSubtree& job);
  Listing settleFrame(ScanSubtree& job, ScanFrame& top, const std::string& path);
  // Puts the largest files of a settled part (and of the parts it handed on) into the top list,
  // in walk order.
  void mergeFiles(ScanSubtree& job);
  // In a worker: hands the subfolders not yet walked of the shallowest frame that has some to the
  // pool, when the pool has a worker without work.
  void shareWork();

  // Lists the frame on top of the stack.
  Listing list(Result<std::unique_ptr<FsDirectory>, FsOpenFailure> opened);
  void process(FsEntry& entry, ScanFrame& frame);
  bool shouldDescend(const FsEntry& entry) const;
  // `child` was just taken off the stack; its parent is now on top.
  void absorb(ScanFrame& child);
  // Adds the finished `child` to `parent`; `childPath` gives the child's path when it is needed.
  template <class PathOf>
  static void absorbInto(ScanFrame& parent, ScanFrame& child, PathOf&& childPath);
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
  uint64_t filesMet_ = 0;  // files met so far, for their walk order

  // Pool workers defer files with several names to the merge and may share their work.
  bool deferLinked_ = false;
  size_t level_ = 0;  // how many times the work was handed on to reach this part

  size_t workers_ = 1;
  std::vector<std::shared_ptr<ScanSubtree>> subtrees_;  // the root's subfolders, in walk order
  struct Pool;
  std::shared_ptr<Pool> pool_;
  bool inWorker_ = false;
  int64_t publishedFiles_ = 0;  // a worker's progress already added to the pool's live figures
  uint64_t publishedBytes_ = 0;
};

// The path with the home folder written as "~" ("~/Documents").
std::string abbreviateHome(const std::string& path, const std::string& home);
// `parent` + "/" + `name`, without doubling the slash of "/".
std::string childPath(const std::string& parent, std::string_view name);

}  // namespace kovra
