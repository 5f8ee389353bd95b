#include "samplers/disk/disk_scanner.h"

namespace kovra {

DiskScanner::DiskScanner()
    : DiskScanner([] { return std::shared_ptr<FileSystem>(makeFileSystem()); }) {}

DiskScanner::DiskScanner(FileSystemFactory makeFs, ScanClock clock)
    : makeFs_(std::move(makeFs)), clock_(std::move(clock)) {}

Result<DiskScanResult, ScanError> DiskScanner::scan(const std::string& root, const ProgressHandler& onProgress,
                                                    std::stop_token stop) {
  if (stop.stop_requested()) return Failure{ScanError::cancelled()};
  std::shared_ptr<FileSystem> fs = makeFs_();
  bool access = fs->hasFullDiskAccess();
  DiskScanWalker walker(root, access, onProgress, *fs, std::move(stop), clock_);
  return walker.run();
}

bool DiskScanner::hasFullDiskAccess() { return makeFs_()->hasFullDiskAccess(); }

}  // namespace kovra
