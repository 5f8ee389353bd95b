#include "samplers/disk/disk_scan_walker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
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

// A part of the tree walked by a pool worker: a subfolder of the root, or subfolders another
// worker handed on.
struct ScanSubtree {
  std::string name;
  std::string path;
  bool isPackage = false;
  size_t level = 0;
  // The folder, opened by the worker that handed it on; a subfolder of the root is opened from
  // the root's handle by the worker that takes it.
  std::optional<Result<std::unique_ptr<FsDirectory>, FsOpenFailure>> opened;
  // The files the handing worker had met when the walk would have come here; set when its frame
  // is finished.
  std::optional<uint64_t> filesBefore;
  // Filled by the worker; read once `done` is set (under the pool's lock).
  bool done = false;
  DiskScanWalker::Listing listing{};
  ScanFrame frame;  // the finished folder, named as in its parent
  int64_t fileCount = 0;
  uint64_t scannedBytes = 0;
  int64_t skippedCount = 0;
  int64_t otherErrorCount = 0;
  std::vector<ScanSizedURL> topFiles;  // its largest files counted for sure, with their order
  // Filled by the merge: its largest files with several names that count here, and the parts it
  // handed on, in walk order.
  ScanTopFiles linkedTop{DiskScanWalker::fileLimit};
  std::vector<std::shared_ptr<ScanSubtree>> handedOn;
};

struct DiskScanWalker::Pool {
  FsDirectory* root = nullptr;  // the root's handle, open while the pool runs
  std::mutex mutex;
  std::condition_variable finished;
  std::condition_variable work;
  std::deque<std::shared_ptr<ScanSubtree>> queue;  // in walk order, the earliest first
  size_t idle = 0;  // workers waiting for work
  bool closing = false;
  std::atomic<int64_t> liveFiles{0};  // walked by workers, not merged yet
  std::atomic<uint64_t> liveBytes{0};
  std::vector<std::jthread> threads;
};

ScanFrame::~ScanFrame() {
  if (deferred.empty()) return;
  std::vector<std::unique_ptr<ScanFrame>> loose;
  for (auto& d : deferred)
    if (d.frame) loose.push_back(std::move(d.frame));
  while (!loose.empty()) {
    std::unique_ptr<ScanFrame> f = std::move(loose.back());
    loose.pop_back();
    for (auto& d : f->deferred)
      if (d.frame) loose.push_back(std::move(d.frame));
  }
}

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
      if (stack_.size() == 1 && !inWorker_ && index < subtrees_.size()) {
        ++top.nextIndex;
        ScanSubtree& job = *subtrees_[index];
        Listing settled = settleSubtree(job);
        if (settled == Listing::cancelled) return Walk::cancelled;
        if (settled == Listing::listed) absorb(job.frame);
        mergeFiles(job);
        subtrees_[index].reset();
        report(false);
        continue;
      }
      if (inWorker_) shareWork();
      ScanPendingDirectory& pending = top.subdirectories[top.nextIndex++];
      if (pending.handed) {
        // Walked by another worker; its place in the walk is here.
        pending.handed->filesBefore = filesMet_;
        top.deferred.push_back(ScanDeferred{index, nullptr, std::move(pending.handed)});
        continue;
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
    finished.subdirectories = {};
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
  if (root.subdirectories.empty() || !root.dir) return;
  pool_ = std::make_shared<Pool>();
  pool_->root = root.dir.get();
  for (const auto& sub : root.subdirectories) {
    auto job = std::make_shared<ScanSubtree>();
    job->name = sub.name;
    job->path = childPath(root_, sub.name);
    job->isPackage = sub.isPackage;
    subtrees_.push_back(job);
    pool_->queue.push_back(std::move(job));
  }
  for (size_t t = 0; t < workers_; ++t) {
    pool_->threads.emplace_back([this, pool = pool_.get()] {
      for (;;) {
        std::shared_ptr<ScanSubtree> job;
        {
          std::unique_lock lock(pool->mutex);
          while (pool->queue.empty() && !pool->closing && !cancelled()) {
            ++pool->idle;
            pool->work.wait_for(lock, std::chrono::milliseconds(50));
            --pool->idle;
          }
          if (pool->closing || cancelled()) return;
          job = std::move(pool->queue.front());
          pool->queue.pop_front();
        }
        walkSubtree(*job);
        {
          std::lock_guard lock(pool->mutex);
          job->done = true;
        }
        pool->finished.notify_all();
      }
    });
  }
}

void DiskScanWalker::stopPool() {
  if (!pool_ || inWorker_) return;
  {
    std::lock_guard lock(pool_->mutex);
    pool_->closing = true;
  }
  pool_->work.notify_all();
  pool_->threads.clear();  // joins
  pool_.reset();
  subtrees_.clear();
}

void DiskScanWalker::walkSubtree(ScanSubtree& job) {
  // The root's handle stays open while the pool runs, and opening a child only reads it.
  auto opened = job.opened ? std::move(*job.opened) : pool_->root->openChild(job.name);
  job.opened.reset();
  DiskScanWalker sub(job.path, hadFullDiskAccess_, {}, fs_, stop_, [] { return uint64_t{0}; }, 1);
  sub.home_ = home_;
  sub.rootDevice_ = rootDevice_;
  sub.pool_ = pool_;
  sub.inWorker_ = true;
  sub.deferLinked_ = true;
  sub.level_ = job.level;
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
  sub.report(true);
  job.fileCount = sub.fileCount_;
  job.scannedBytes = sub.scannedBytes_;
  job.skippedCount = sub.skippedCount_;
  job.otherErrorCount = sub.otherErrorCount_;
  job.topFiles = sub.topFiles_.items();
}

void DiskScanWalker::shareWork() {
  if (level_ >= shareLevels) return;
  {
    std::lock_guard lock(pool_->mutex);
    if (pool_->idle == 0 || !pool_->queue.empty() || pool_->closing) return;
  }
  // The shallowest folder with subfolders still to walk holds the most work: the later half of
  // them goes, opened here (the handles of this part are only ever used from this thread).
  constexpr size_t mostAtOnce = 16;
  for (size_t i = 0; i < stack_.size(); ++i) {
    ScanFrame& f = stack_[i];
    size_t end = f.nextIndex;
    while (end < f.subdirectories.size() && !f.subdirectories[end].handed) ++end;
    const size_t left = end - f.nextIndex;
    if (left < 2 || !f.dir) continue;
    std::string parentPath;
    for (size_t k = 0; k <= i; ++k) parentPath = k == 0 ? stack_[0].name : childPath(parentPath, stack_[k].name);
    std::vector<std::shared_ptr<ScanSubtree>> jobs;
    for (size_t k = end - std::min(left / 2, mostAtOnce); k < end; ++k) {
      ScanPendingDirectory& pending = f.subdirectories[k];
      auto job = std::make_shared<ScanSubtree>();
      job->name = pending.name;
      job->path = childPath(parentPath, pending.name);
      job->isPackage = pending.isPackage;
      job->level = level_ + 1;
      job->opened.emplace(f.dir->openChild(pending.name));
      pending.handed = job;
      jobs.push_back(std::move(job));
    }
    {
      // Ahead of everything queued: the merge needs them before any later part.
      std::lock_guard lock(pool_->mutex);
      pool_->queue.insert(pool_->queue.begin(), jobs.begin(), jobs.end());
    }
    pool_->work.notify_all();
    return;
  }
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

DiskScanWalker::Listing DiskScanWalker::settleSubtree(ScanSubtree& job) {
  if (awaitSubtree(job) == Listing::cancelled) return Listing::cancelled;
  fileCount_ += job.fileCount;
  scannedBytes_ += job.scannedBytes;
  skippedCount_ += job.skippedCount;
  otherErrorCount_ += job.otherErrorCount;
  pool_->liveFiles.fetch_sub(job.fileCount, std::memory_order_relaxed);
  pool_->liveBytes.fetch_sub(job.scannedBytes, std::memory_order_relaxed);
  if (job.listing != Listing::listed) return job.listing;
  return settleFrame(job, job.frame, job.path);
}

DiskScanWalker::Listing DiskScanWalker::settleFrame(ScanSubtree& job, ScanFrame& top, const std::string& topPath) {
  // Depth-first over the deferred folders with an explicit stack, the path kept in one string.
  std::string path = topPath;
  auto enter = [&](ScanFrame& f) {
    for (ScanLinkedFile& file : f.linked) {
      if (!linkedFilesSeen_.insert(InodeKey{file.device, file.inode}).second) continue;
      f.totalBytes += file.size;
      fileCount_ += 1;
      scannedBytes_ += file.size;
      if (job.linkedTop.accepts(file.size)) job.linkedTop.insert(childPath(path, file.name), file.size, file.order);
    }
    f.linked = {};
  };
  struct Open {
    ScanFrame* frame;
    size_t pathLength;  // of the path before this frame's name was added
    size_t next = 0;
  };
  std::vector<Open> open;
  enter(top);
  open.push_back(Open{&top, path.size()});
  while (!open.empty()) {
    if (cancelled()) return Listing::cancelled;
    Open& o = open.back();
    if (o.next < o.frame->deferred.size()) {
      ScanDeferred& d = o.frame->deferred[o.next++];
      ScanFrame& parent = *o.frame;
      if (d.job) {
        std::shared_ptr<ScanSubtree> nested = d.job;
        job.handedOn.push_back(nested);
        Listing settled = settleSubtree(*nested);
        if (settled == Listing::cancelled) return Listing::cancelled;
        if (settled == Listing::listed)
          absorbInto(parent, nested->frame, [&] { return childPath(path, nested->frame.name); });
        nested->frame = ScanFrame{};
        continue;
      }
      ScanFrame& child = *d.frame;
      const size_t before = path.size();
      path = childPath(path, child.name);
      enter(child);
      open.push_back(Open{&child, before});
      continue;
    }
    ScanFrame& finished = *o.frame;
    const size_t before = o.pathLength;
    open.pop_back();
    std::vector<ScanDeferred>().swap(finished.deferred);  // its subfolders are in its figures now
    if (open.empty()) return Listing::listed;
    absorbInto(*open.back().frame, finished, [&] { return path; });
    path.resize(before);
  }
  return Listing::listed;
}

void DiskScanWalker::mergeFiles(ScanSubtree& job) {
  std::vector<ScanSizedURL> files = std::move(job.topFiles);
  for (const auto& f : job.linkedTop.items()) files.push_back(f);
  std::stable_sort(files.begin(), files.end(),
                   [](const ScanSizedURL& a, const ScanSizedURL& b) { return a.order < b.order; });
  size_t next = 0;
  auto mergeHandedUpTo = [&](uint64_t order) {
    while (next < job.handedOn.size() && job.handedOn[next]->filesBefore.value_or(0) <= order)
      mergeFiles(*job.handedOn[next++]);
  };
  for (auto& f : files) {
    mergeHandedUpTo(f.order);
    if (topFiles_.accepts(f.size)) topFiles_.insert(std::move(f.url), f.size);
  }
  mergeHandedUpTo(UINT64_MAX);
  job.topFiles = {};
  job.linkedTop = ScanTopFiles{fileLimit};
  job.handedOn = {};
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
      if (shouldDescend(entry)) frame.subdirectories.push_back({std::move(entry.name), entry.isPackage, {}});
      return;
    case FsEntryKind::file: break;
  }
  // A file bind-mounted from another file system belongs to that one.
  if (entry.device && *entry.device != rootDevice_) return;
  const uint64_t size = entry.allocatedBytes;
  if (entry.linkCount > 1) {
    InodeKey key{entry.device.value_or(rootDevice_), entry.inode};
    if (deferLinked_) {
      frame.linked.push_back(ScanLinkedFile{key.device, key.inode, size, filesMet_++, std::move(entry.name)});
      return;
    }
    if (!linkedFilesSeen_.insert(key).second) return;  // another name of a file already counted
  }
  const uint64_t order = filesMet_++;
  fileCount_ += 1;
  scannedBytes_ += size;
  frame.totalBytes += size;
  if (topFiles_.accepts(size)) topFiles_.insert(childPath(topPath(), entry.name), size, order);
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
  if (!child.linked.empty() || !child.deferred.empty()) {
    // Its figures are only known once the merge has settled what it holds.
    parent.deferred.push_back(ScanDeferred{parent.nextIndex - 1, std::make_unique<ScanFrame>(std::move(child)), {}});
    return;
  }
  absorbInto(parent, child, [&] { return childPath(topPath(), child.name); });
}

template <class PathOf>
void DiskScanWalker::absorbInto(ScanFrame& parent, ScanFrame& child, PathOf&& pathOf) {
  parent.totalBytes += child.totalBytes;
  if (child.totalBytes > parent.largestChild) {
    parent.secondChild = parent.largestChild;
    parent.largestChild = child.totalBytes;
  } else if (child.totalBytes > parent.secondChild) {
    parent.secondChild = child.totalBytes;
  }
  if (child.totalBytes == 0) return;
  double dominant = (static_cast<double>(child.largestChild) + static_cast<double>(child.secondChild)) * 2.0;
  // A folder that is mostly one or two subfolders is better shown through its best descendants.
  if (!child.isPackage && dominant >= static_cast<double>(child.totalBytes) && !child.best.empty()) {
    for (auto& r : child.best) parent.best.push_back(std::move(r));
    child.best.clear();
  } else {
    // The folder stands for itself. Its path is only joined when it can still enter the list.
    const auto& rivals = parent.best;
    if (rivals.size() >= folderLimit &&
        std::all_of(rivals.begin(), rivals.end(), [&](const ScanSizedURL& r) { return r.size > child.totalBytes; }))
      return;
    parent.best.push_back(ScanSizedURL{pathOf(), child.totalBytes});
  }
  if (parent.best.size() > folderLimit) trimCandidates(parent.best, folderLimit);
}

void DiskScanWalker::releaseHandles() {
  if (stack_.empty()) return;
  size_t top = stack_.size() - 1;
  // A folder whose subfolders have all been opened no longer needs its handle.
  // A pool worker keeps the first folder of its part open: the folders below never have to be
  // reopened from a folder another worker uses.
  auto releasable = [&](size_t i) { return stack_[i].dir && (i > 0 || !inWorker_); };
  ScanFrame& last = stack_[top];
  if (releasable(top) && last.nextIndex >= last.subdirectories.size()) last.dir->release();
  if (top > 0 && releasable(top - 1) && stack_[top - 1].nextIndex >= stack_[top - 1].subdirectories.size())
    stack_[top - 1].dir->release();
  if (top >= openFrames + 1) {
    size_t far = top - openFrames;
    if (far % checkpointSpacing != 0 && stack_[far].dir) stack_[far].dir->release();
  }
}

void DiskScanWalker::report(bool force) {
  if (inWorker_) {
    pool_->liveFiles.fetch_add(fileCount_ - publishedFiles_, std::memory_order_relaxed);
    pool_->liveBytes.fetch_add(scannedBytes_ - publishedBytes_, std::memory_order_relaxed);
    publishedFiles_ = fileCount_;
    publishedBytes_ = scannedBytes_;
    return;
  }
  uint64_t now = clock_();
  if (!force && now - lastReport_ < reportIntervalNanos) return;
  lastReport_ = now;
  if (!onProgress_) return;
  DiskScanProgress progress;
  progress.scannedFileCount = fileCount_;
  progress.scannedBytes = scannedBytes_;
  // Parts the pool is walking or has walked but not yet merged.
  if (pool_) {
    progress.scannedFileCount += pool_->liveFiles.load(std::memory_order_relaxed);
    progress.scannedBytes += pool_->liveBytes.load(std::memory_order_relaxed);
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
