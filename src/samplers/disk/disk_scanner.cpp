#include "samplers/disk/disk_scanner.h"

#include <algorithm>
#include <thread>

namespace kovra {

DiskScanner::DiskScanner()
    : DiskScanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }, steadyScanClock(), defaultWorkers()) {}

DiskScanner::DiskScanner(FileSystemFactory makeFs, ScanClock clock, size_t workers)
    : makeFs_(std::move(makeFs)), clock_(std::move(clock)), workers_(std::max<size_t>(workers, 1)) {}

size_t DiskScanner::defaultWorkers() {
  return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMostWorkers);
}

Result<DiskScanResult, ScanError> DiskScanner::scan(const std::string& root, const ProgressHandler& onProgress,
                                                    std::stop_token stop) {
  if (stop.stop_requested()) return Failure{ScanError::cancelled()};
  std::shared_ptr<FileSystem> fs = makeFs_();
  bool access = fs->hasFullDiskAccess();
  DiskScanWalker walker(root, access, onProgress, *fs, std::move(stop), clock_, workers_);
  return walker.run();
}

bool DiskScanner::hasFullDiskAccess() { return makeFs_()->hasFullDiskAccess(); }

}  // namespace kovra
