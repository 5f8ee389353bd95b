#include "samplers/disk/disk_scan_walker.h"

#include <algorithm>
#include <chrono>

#include "core/log.h"
#include "core/utf8.h"

namespace kovra {

namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

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
                               std::stop_token stop, ScanClock clock)
    : root_(withoutTrailingSlashes(std::move(root))),
      hadFullDiskAccess_(hadFullDiskAccess),
      onProgress_(std::move(onProgress)),
      fs_(fs),
      stop_(std::move(stop)),
      clock_(clock ? std::move(clock) : steadyScanClock()) {}

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

  while (!cancelled()) {
    ScanFrame& top = stack_.back();
    if (top.nextIndex < top.subdirectories.size()) {
      ScanPendingDirectory& pending = top.subdirectories[top.nextIndex++];
      auto opened = top.dir ? top.dir->openChild(pending.name)
                            : Result<std::unique_ptr<FsDirectory>, FsOpenFailure>(Failure{FsOpenFailure{}});
      ScanFrame frame;
      frame.name = std::move(pending.name);
      frame.isPackage = pending.isPackage;
      push(std::move(frame));
      Listing listing = list(std::move(opened));
      if (listing == Listing::cancelled) return Failure{ScanError::cancelled()};
      // A folder that could not be listed is dropped: its files stay counted, its size is not
      // added to any folder.
      if (listing == Listing::failed) pop();
      releaseHandles();
      continue;
    }
    ScanFrame finished = pop();
    finished.dir.reset();
    if (stack_.empty()) return makeResult(finished);
    absorb(finished);
  }
  return Failure{ScanError::cancelled()};
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
  uint64_t now = clock_();
  if (!force && now - lastReport_ < reportIntervalNanos) return;
  lastReport_ = now;
  if (!onProgress_) return;
  DiskScanProgress progress;
  progress.scannedFileCount = fileCount_;
  progress.scannedBytes = scannedBytes_;
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
