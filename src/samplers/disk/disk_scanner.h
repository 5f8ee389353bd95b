#pragma once
// The live disk scanner: walks a folder tree from the caller's thread (with a small pool of
// workers) and finds its largest folders and files.

#include <memory>

#include "core/contracts.h"
#include "platform/fs_walk.h"
#include "samplers/disk/disk_scan_walker.h"

namespace kovra {

class DiskScanner : public DiskScanning {
 public:
  // Each scan reads through a file system made by `makeFs` (the platform's by default).
  using FileSystemFactory = std::function<std::shared_ptr<FileSystem>()>;
  // The platform's file system, walked by one worker per core (at most kMostWorkers).
  DiskScanner();
  explicit DiskScanner(FileSystemFactory makeFs, ScanClock clock = steadyScanClock(), size_t workers = 1);

  static constexpr size_t kMostWorkers = 8;
  static size_t defaultWorkers();

  Result<DiskScanResult, ScanError> scan(const std::string& root, const ProgressHandler& onProgress,
                                         std::stop_token stop) override;
  bool hasFullDiskAccess() override;

 private:
  FileSystemFactory makeFs_;
  ScanClock clock_;
  size_t workers_;
};

}  // namespace kovra
