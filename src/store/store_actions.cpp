// The user's actions: quitting apps (with one delayed re-read of the process list) and the home
// folder scan, which runs on a thread of its own and reports back to the main sequence.

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/log.h"
#include "store/store.h"

namespace kovra {

namespace {

std::string currentHomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

TerminateOutcome Store::terminate(const AppUsage& app, bool force) {
  TerminateOutcome outcome =
      samplers_.terminator ? samplers_.terminator->terminate(app, force) : TerminateOutcome::failed;
  if (outcome == TerminateOutcome::notAllowed) return outcome;
  // Several requests in a row end in a single re-read, one delay after the last of them.
  if (processRefreshTask_) executor_.cancel(*processRefreshTask_);
  processRefreshTask_ = executor_.postAfter(terminateRefreshDelay_, 0, guarded([this] {
                                              processRefreshTask_.reset();
                                              read(MantikSampleKind::processes, {});
                                            }));
  return outcome;
}

void Store::startDiskScan() {
  if (scanTask_) return;  // one scan at a time; a second request is ignored, not queued
  std::shared_ptr<DiskScanning> scanner = samplers_.scanner;
  if (!scanner) return;
  uint64_t generation = ++scanGeneration_;
  std::string root = scanRoot_ ? *scanRoot_ : currentHomeFolder();
  publish(diskScan_, DiskScanState::scanning(DiskScanProgress{}));

  Executor& executor = executor_;
  std::weak_ptr<int> weak = alive_;
  // Called on the scanner's threads: only hops to the main sequence, where a stale generation or
  // a scan that already ended drops the progress.
  DiskScanning::ProgressHandler onProgress = [&executor, weak, this, generation](const DiskScanProgress& progress) {
    executor.post([weak, this, generation, progress] {
      if (!weak.lock()) return;
      if (scanGeneration_ != generation || diskScan_->kind != DiskScanState::Case::scanning) return;
      publish(diskScan_, DiskScanState::scanning(progress));
    });
  };

  scanTask_ = std::make_unique<ScanTask>();
  scanTask_->thread = std::jthread([scanner, root, onProgress, &executor, weak, this, generation](std::stop_token stop) {
    DiskScanState state = DiskScanState::cancelled();
    try {
      auto result = scanner->scan(root, onProgress, stop);
      if (stop.stop_requested()) {
        state = DiskScanState::cancelled();  // a result that arrives after cancelling is dropped
      } else if (result.ok()) {
        state = DiskScanState::finished(std::move(result).value());
      } else if (!result.error().isCancelled()) {
        state = DiskScanState::failed(result.error().message);
      }
    } catch (const std::exception& e) {
      if (!stop.stop_requested()) state = DiskScanState::failed(e.what());
    }
    executor.post([weak, this, generation, state = std::move(state)]() mutable {
      if (weak.lock()) finishScan(std::move(state), generation);
    });
  });
}

void Store::cancelDiskScan() {
  if (scanTask_) scanTask_->thread.request_stop();
}

void Store::finishScan(DiskScanState state, uint64_t generation) {
  if (generation != scanGeneration_) return;
  bool failed = state.kind == DiskScanState::Case::failed;
  std::string message = state.message;
  publish(diskScan_, std::move(state));
  // The thread has posted this as its last act; joining only waits for it to return.
  scanTask_.reset();
  if (failed) Log::store.error("Disk taraması başarısız: " + message);
}

}  // namespace kovra
