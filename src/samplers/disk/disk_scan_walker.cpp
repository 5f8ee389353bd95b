#include "samplers/disk/disk_scan_walker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/log.h"
#include "core/utf8.h"

namespace kovra {

namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

// One subfolder of the root, walked by a worker as a whole.
struct ScanSubtree {
  size_t index = 0;  // among the root's subfolders
  std::string name;
  bool isPackage = false;
  // Filled by the worker; read once `done` is set (under the pool's lock).
  bool done = false;
  bool started = false;
  DiskScanWalker::Listing listing{};
  ScanFrame frame;  // the finished subfolder, named as in its parent
  int64_t fileCount = 0;
  uint64_t scannedBytes = 0;
  int64_t skippedCount = 0;
  int64_t otherErrorCount = 0;
  std::vector<ScanSizedURL> topFiles;  // its largest files, in the order they were found
  std::vector<std::pair<uint64_t, uint64_t>> linked;  // (device, inode) of its files with several names
  std::atomic<int64_t> liveFiles{0};
  std::atomic<uint64_t> liveBytes{0};
};

struct DiskScanWalker::Pool {
  std::mutex mutex;
  std::condition_variable finished;
  FsDirectory* root = nullptr;  // the root's handle, open while the pool runs
  size_t next = 0;  // the next subtree to hand out
  bool closing = false;
  std::vector<std::jthread> threads;
};

ScanClock steadyScanClock() {
  return [] {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  };
}

std::string childPath(const std::string& parent, std::string_view name) {
  std::string path;
  path.reserve(parent.size() + 1 + name.size());
  path = parent;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string abbreviateHome(const std::string& path, const std::string& home) {
  std::string h = withoutTrailingSlashes(home);
  if (h.empty() || h == "/") return path;
  if (path == h) return "~";
  if (path.size() > h.size() && path.compare(0, h.size(), h) == 0 && path[h.size()] == '/') {
    std::string out(1, '~');
    out.append(path, h.size(), std::string::npos);
    return out;
  }
  return path;
}

DiskScanWalker::DiskScanWalker(std::string root, bool hadFullDiskAccess,
                               DiskScanning::ProgressHandler onProgress, FileSystem& fs,
                               std::stop_token stop, ScanClock clock, size_t workers)
    : root_(withoutTrailingSlashes(std::move(root))),
      hadFullDiskAccess_(hadFullDiskAccess),
      onProgress_(std::move(onProgress)),
      fs_(fs),
      stop_(std::move(stop)),
      clock_(clock ? std::move(clock) : steadyScanClock()),
      workers_(std::max<size_t>(workers, 1)) {}

DiskScanWalker::~DiskScanWalker() { stopPool(); }

Result<DiskScanResult, ScanError> DiskScanWalker::run() {
  if (cancelled()) return Failure{ScanError::cancelled()};

  auto rootInfo = fs_.statRoot(root_);
  if (!rootInfo)
    return Failure{ScanError::failed("disk taraması: kök klasör okunamadı (errno " +
                                     std::to_string(rootInfo.error()) + ")")};
  if (!rootInfo->isDirectory) return Failure{ScanError::failed("disk taraması: kök bir klasör değil")};

  home_ = fs_.homeFolder();
  rootDevice_ = rootInfo->device;
  estimatedTotalBytes_ = usedBytes();
  report(true);

  ScanFrame rootFrame;
  rootFrame.name = root_;
  push(std::move(rootFrame));
  switch (list(fs_.openRoot(root_))) {
    case Listing::cancelled: return Failure{ScanError::cancelled()};
    case Listing::failed: return Failure{ScanError::failed("disk taraması: kök klasörün içeriği okunamadı")};
    case Listing::listed: break;
  }
  releaseHandles();
  if (workers_ > 1) startPool();

  ScanFrame rootDone;
  Walk walked = walk(0, rootDone);
  stopPool();
  if (walked == Walk::cancelled) return Failure{ScanError::cancelled()};
  return makeResult(rootDone);
}

DiskScanWalker::Walk DiskScanWalker::walk(size_t floor, ScanFrame& done) {
  while (!cancelled()) {
    ScanFrame& top = stack_.back();
    if (top.nextIndex < top.subdirectories.size()) {
      const size_t index = top.nextIndex;
      ScanPendingDirectory& pending = top.subdirectories[top.nextIndex++];
      if (stack_.size() == 1 && index < subtrees_.size()) {
        ScanSubtree& job = *subtrees_[index];
        Listing awaited = awaitSubtree(job);
        if (awaited == Listing::cancelled) return Walk::cancelled;
        if (takeSubtree(job)) continue;
      }
      auto opened = top.dir ? top.dir->openChild(pending.name)
                            : Result<std::unique_ptr<FsDirectory>, FsOpenFailure>(Failure{FsOpenFailure{}});
      ScanFrame frame;
      frame.name = std::move(pending.name);
      frame.isPackage = pending.isPackage;
      push(std::move(frame));
      Listing listing = list(std::move(opened));
      if (listing == Listing::cancelled) return Walk::cancelled;
      // A folder that could not be listed is dropped: its files stay counted, its size is not
      // added to any folder.
      if (listing == Listing::failed) pop();
      releaseHandles();
      continue;
    }
    ScanFrame finished = pop();
    finished.dir.reset();
    if (stack_.size() == floor) {
      done = std::move(finished);
      return Walk::finished;
    }
    absorb(finished);
  }
  return Walk::cancelled;
}

void DiskScanWalker::startPool() {
  const ScanFrame& root = stack_.front();
  if (root.subdirectories.size() < 2 || !root.dir) return;
  for (size_t i = 0; i < root.subdirectories.size(); ++i) {
    auto job = std::make_shared<ScanSubtree>();
    job->index = i;
    job->name = root.subdirectories[i].name;
    job->isPackage = root.subdirectories[i].isPackage;
    subtrees_.push_back(std::move(job));
  }
  pool_ = std::make_unique<Pool>();
  pool_->root = root.dir.get();
  const size_t threads = std::min(workers_, subtrees_.size());
  for (size_t t = 0; t < threads; ++t) {
    pool_->threads.emplace_back([this] {
      for (;;) {
        ScanSubtree* job = nullptr;
        {
          std::lock_guard lock(pool_->mutex);
          if (pool_->closing || pool_->next >= subtrees_.size() || cancelled()) return;
          job = subtrees_[pool_->next++].get();
          job->started = true;
        }
        walkSubtree(*job);
        {
          std::lock_guard lock(pool_->mutex);
          job->done = true;
        }
        pool_->finished.notify_all();
      }
    });
  }
}

void DiskScanWalker::stopPool() {
  if (!pool_) return;
  {
    std::lock_guard lock(pool_->mutex);
    pool_->closing = true;
  }
  pool_->threads.clear();  // joins
  pool_.reset();
  subtrees_.clear();
}

void DiskScanWalker::walkSubtree(ScanSubtree& job) {
  // The root's handle stays open while the pool runs, and opening a child only reads it.
  auto opened = pool_->root->openChild(job.name);
  DiskScanWalker sub(childPath(root_, job.name), hadFullDiskAccess_, {}, fs_, stop_, [] { return uint64_t{0}; }, 1);
  sub.home_ = home_;
  sub.rootDevice_ = rootDevice_;
  sub.liveFiles_ = &job.liveFiles;
  sub.liveBytes_ = &job.liveBytes;
  ScanFrame frame;
  frame.name = sub.root_;
  frame.isPackage = job.isPackage;
  sub.push(std::move(frame));
  job.listing = sub.list(std::move(opened));
  if (job.listing == Listing::listed) {
    sub.releaseHandles();
    if (sub.walk(0, job.frame) == Walk::cancelled) job.listing = Listing::cancelled;
    job.frame.name = job.name;
  }
  sub.stack_.clear();
  job.fileCount = sub.fileCount_;
  job.scannedBytes = sub.scannedBytes_;
  job.skippedCount = sub.skippedCount_;
  job.otherErrorCount = sub.otherErrorCount_;
  job.topFiles = sub.topFiles_.items();
  job.linked.reserve(sub.linkedFilesSeen_.size());
  for (const auto& k : sub.linkedFilesSeen_) job.linked.emplace_back(k.device, k.inode);
}

DiskScanWalker::Listing DiskScanWalker::awaitSubtree(ScanSubtree& job) {
  std::unique_lock lock(pool_->mutex);
  while (!job.done) {
    if (cancelled()) return Listing::cancelled;
    pool_->finished.wait_for(lock, std::chrono::milliseconds(50));
    lock.unlock();
    report(false);
    lock.lock();
  }
  return job.listing;
}

bool DiskScanWalker::takeSubtree(ScanSubtree& job) {
  // A file already counted under another name earlier in the walk: the subtree's figures would
  // count it again, so it is walked in place instead.
  for (const auto& [device, inode] : job.linked) {
    if (linkedFilesSeen_.contains(InodeKey{device, inode})) {
      job.liveFiles = 0;
      job.liveBytes = 0;
      return false;
    }
  }
  for (const auto& [device, inode] : job.linked) linkedFilesSeen_.insert(InodeKey{device, inode});
  fileCount_ += job.fileCount;
  scannedBytes_ += job.scannedBytes;
  skippedCount_ += job.skippedCount;
  otherErrorCount_ += job.otherErrorCount;
  for (auto& f : job.topFiles) {
    if (topFiles_.accepts(f.size)) topFiles_.insert(std::move(f.url), f.size);
  }
  job.topFiles.clear();
  job.linked.clear();
  job.fileCount = 0;
  job.scannedBytes = 0;
  job.liveFiles = 0;
  job.liveBytes = 0;
  if (job.listing == Listing::listed) absorb(job.frame);
  job.frame = ScanFrame{};
  report(false);
  return true;
}

DiskScanWalker::Listing DiskScanWalker::list(Result<std::unique_ptr<FsDirectory>, FsOpenFailure> opened) {
  ScanFrame& frame = stack_.back();
  ScanErrorSink sink;
  if (!opened) {
    switch (opened.error().kind) {
      case FsOpenFailure::Kind::permission: skippedCount_ += 1; break;
      case FsOpenFailure::Kind::other: otherErrorCount_ += 1; break;
      // A folder that vanished, or a mount point met only when opening it, is simply not walked.
      case FsOpenFailure::Kind::vanished:
      case FsOpenFailure::Kind::otherDevice: break;
    }
    return Listing::failed;
  }
  frame.dir = std::move(opened).value();
  if (batch_.size() < batchSize) batch_.resize(batchSize);

  bool processedAny = false;
  for (;;) {
    FsErrorTally tally;
    size_t n = frame.dir->read(batch_, tally);
    sink.permissionErrors += tally.permission;
    sink.otherErrors += tally.other;
    for (size_t i = 0; i < n; ++i) process(batch_[i], frame);
    processedAny = processedAny || n > 0;
    if (cancelled()) return Listing::cancelled;
    report(false);
    if (n == 0) break;
  }
  sink.directoryFailed = frame.dir->failed();

  skippedCount_ += sink.permissionErrors;
  otherErrorCount_ += sink.otherErrors;
  if (sink.directoryFailed) return Listing::failed;
  bool errors = sink.permissionErrors + sink.otherErrors > 0;
  return processedAny || !errors ? Listing::listed : Listing::failed;
}

void DiskScanWalker::process(FsEntry& entry, ScanFrame& frame) {
  switch (entry.kind) {
    case FsEntryKind::symlink: return;  // never followed, never counted
    case FsEntryKind::directory:
      if (shouldDescend(entry)) frame.subdirectories.push_back({std::move(entry.name), entry.isPackage});
      return;
    case FsEntryKind::file: break;
  }
  // A file bind-mounted from another file system belongs to that one.
  if (entry.device && *entry.device != rootDevice_) return;
  if (entry.linkCount > 1 &&
      !linkedFilesSeen_.insert(InodeKey{entry.device.value_or(rootDevice_), entry.inode}).second)
    return;  // another name of a file already counted
  uint64_t size = entry.allocatedBytes;
  fileCount_ += 1;
  scannedBytes_ += size;
  frame.totalBytes += size;
  if (topFiles_.accepts(size)) topFiles_.insert(childPath(topPath(), entry.name), size);
}

const std::string& DiskScanWalker::topPath() {
  if (!topPathValid_) {
    size_t length = 0;
    for (const auto& f : stack_) length += f.name.size() + 1;
    topPath_.clear();
    topPath_.reserve(length);
    for (size_t i = 0; i < stack_.size(); ++i) {
      if (i > 0 && (topPath_.empty() || topPath_.back() != '/')) topPath_ += '/';
      topPath_ += stack_[i].name;
    }
    topPathValid_ = true;
  }
  return topPath_;
}

void DiskScanWalker::push(ScanFrame frame) {
  stack_.push_back(std::move(frame));
  topPathValid_ = false;
}

ScanFrame DiskScanWalker::pop() {
  ScanFrame frame = std::move(stack_.back());
  stack_.pop_back();
  topPathValid_ = false;
  return frame;
}

bool DiskScanWalker::shouldDescend(const FsEntry& entry) const {
  if (entry.device && *entry.device != rootDevice_) return false;  // another volume
  return !entry.isDataless;
}

void DiskScanWalker::absorb(ScanFrame& child) {
  ScanFrame& parent = stack_.back();
  parent.totalBytes += child.totalBytes;
  if (child.totalBytes > parent.largestChild) {
    parent.secondChild = parent.largestChild;
    parent.largestChild = child.totalBytes;
  } else if (child.totalBytes > parent.secondChild) {
    parent.secondChild = child.totalBytes;
  }
  std::vector<ScanSizedURL> reps = representatives(child);
  if (reps.empty()) return;
  for (auto& r : reps) parent.best.push_back(std::move(r));
  if (parent.best.size() > folderLimit) trimCandidates(parent.best, folderLimit);
}

std::vector<ScanSizedURL> DiskScanWalker::representatives(ScanFrame& frame) {
  if (frame.totalBytes == 0) return {};
  double dominant = (static_cast<double>(frame.largestChild) + static_cast<double>(frame.secondChild)) * 2.0;
  // A folder that is mostly one or two subfolders is better shown through its best descendants.
  if (!frame.isPackage && dominant >= static_cast<double>(frame.totalBytes) && !frame.best.empty())
    return std::move(frame.best);
  // The folder stands for itself. Its path is only joined when it can still enter the parent's list.
  const auto& rivals = stack_.back().best;
  if (rivals.size() >= folderLimit &&
      std::all_of(rivals.begin(), rivals.end(), [&](const ScanSizedURL& r) { return r.size > frame.totalBytes; }))
    return {};
  return {ScanSizedURL{childPath(topPath(), frame.name), frame.totalBytes}};
}

void DiskScanWalker::releaseHandles() {
  if (stack_.empty()) return;
  size_t top = stack_.size() - 1;
  // A folder whose subfolders have all been opened no longer needs its handle.
  ScanFrame& last = stack_[top];
  if (last.dir && last.nextIndex >= last.subdirectories.size()) last.dir->release();
  if (top > 0 && stack_[top - 1].dir && stack_[top - 1].nextIndex >= stack_[top - 1].subdirectories.size())
    stack_[top - 1].dir->release();
  if (top >= openFrames + 1) {
    size_t far = top - openFrames;
    if (far % checkpointSpacing != 0 && stack_[far].dir) stack_[far].dir->release();
  }
}

void DiskScanWalker::report(bool force) {
  if (liveFiles_ != nullptr) {
    liveFiles_->store(fileCount_, std::memory_order_relaxed);
    liveBytes_->store(scannedBytes_, std::memory_order_relaxed);
    return;
  }
  uint64_t now = clock_();
  if (!force && now - lastReport_ < reportIntervalNanos) return;
  lastReport_ = now;
  if (!onProgress_) return;
  DiskScanProgress progress;
  progress.scannedFileCount = fileCount_;
  progress.scannedBytes = scannedBytes_;
  // Subtrees the pool is walking or has walked but not yet merged.
  for (const auto& job : subtrees_) {
    progress.scannedFileCount += job->liveFiles.load(std::memory_order_relaxed);
    progress.scannedBytes += job->liveBytes.load(std::memory_order_relaxed);
  }
  if (estimatedTotalBytes_ && *estimatedTotalBytes_ > 0)
    progress.fraction =
        std::clamp(static_cast<double>(scannedBytes_) / static_cast<double>(*estimatedTotalBytes_), 0.0, 1.0);
  // The folder being listed.
  progress.currentPath = sanitizeUtf8(abbreviateHome(stack_.empty() ? root_ : topPath(), home_));
  onProgress_(progress);
}

DiskScanResult DiskScanWalker::makeResult(ScanFrame& rootFrame) {
  DiskScanResult result;
  trimCandidates(rootFrame.best, folderLimit);
  for (auto& c : rootFrame.best) result.largestFolders.push_back(DiskItem{std::move(c.url), c.size, true});
  for (const auto& f : topFiles_.items()) result.largestFiles.push_back(DiskItem{f.url, f.size, false});
  Log::sampler.info("disk taraması bitti: " + std::to_string(fileCount_) + " dosya, " +
                    std::to_string(skippedCount_) + " izin hatası, " + std::to_string(otherErrorCount_) +
                    " diğer hata");
  result.scannedFileCount = fileCount_;
  result.scannedBytes = scannedBytes_;
  result.skippedCount = skippedCount_;
  result.hadFullDiskAccess = hadFullDiskAccess_;
  return result;
}

std::optional<uint64_t> DiskScanWalker::usedBytes() const {
  auto usage = fs_.volumeUsage(root_);
  if (!usage || !usage->totalBytes || *usage->totalBytes < 1) return std::nullopt;
  std::optional<uint64_t> available;
  if (usage->availableForImportantBytes && *usage->availableForImportantBytes >= 1)
    available = usage->availableForImportantBytes;
  else if (usage->availableBytes)
    available = usage->availableBytes;
  if (!available || *available >= *usage->totalBytes) return std::nullopt;
  return *usage->totalBytes - *available;
}

}  // namespace kovra
