#pragma once
// Reads the process table from /proc cheaply: the pid list through one directory descriptor,
// and per process its stat and statm files, kept open between refreshes and re-read with pread
// (two system calls per process and refresh). A kept descriptor fails with ESRCH once its
// process has gone, so it never reads a newer process that reuses the pid. When descriptors
// run short, processes are read with open/read/close instead.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/result.h"

namespace kovra::linux_proc {

struct ProcReading {
  uint64_t cpuTicks = 0;   // utime + stime
  uint64_t startTime = 0;  // clock ticks since boot
  int64_t ppid = 0;
  bool isKernelThread = false;
  std::array<char, 64> comm{};
  uint8_t commLength = 0;
  uint64_t residentPages = 0;
  uint64_t sharedPages = 0;

  std::string_view name() const { return {comm.data(), commLength}; }
};

class ProcTable {
 public:
  // `root` is the proc file system (another folder in tests).
  explicit ProcTable(std::string root = "/proc");
  ~ProcTable();
  ProcTable(const ProcTable&) = delete;
  ProcTable& operator=(const ProcTable&) = delete;

  // The errno of opening the root, 0 when it is open.
  int openError() const { return rootFd_ < 0 ? openErrno_ : 0; }
  int rootFd() const { return rootFd_; }
  const std::string& root() const { return root_; }

  // Writes the pids into `buffer` and returns how many (a full buffer may mean there are more);
  // with an empty buffer returns how many exist. Starts a new round: descriptors of processes
  // that were not read in the previous round are closed. The failure is an errno.
  Result<size_t, int> list(std::span<int32_t> buffer);
  // Reads one process; the failure is an errno (ENOENT or ESRCH: gone; EACCES or EPERM: refused).
  Result<ProcReading, int> read(int32_t pid);

  // Processes whose files are kept open; false after descriptors ran short.
  size_t keptCount() const { return entries_.size(); }
  bool keepsFiles() const { return keepFiles_; }
  // Test hook: the most entries that may keep their files open.
  void setKeepLimit(size_t limit) { keepLimit_ = limit; }

  // Reads a whole small file below the root ("<pid>/cgroup") into `out`; false on failure
  // with errno set.
  bool readFile(std::string_view relative, std::string& out, size_t limit = 1 << 20) const;

 private:
  struct Entry {
    int statFd = -1;
    int statmFd = -1;
    uint32_t round = 0;
  };
  Result<ProcReading, int> readFresh(int32_t pid);
  void closeEntry(Entry& e);
  void sweep();

  std::string root_;
  int rootFd_ = -1;
  int openErrno_ = 0;
  std::vector<char> dirBuffer_;
  std::unordered_map<int32_t, Entry> entries_;
  uint32_t round_ = 0;
  size_t readThisRound_ = 0;
  size_t keepLimit_ = 0;
  bool keepFiles_ = true;
};

// Parses the two files into a reading; false when either is malformed.
bool fillReading(std::string_view stat, std::string_view statm, ProcReading& out);

}  // namespace kovra::linux_proc
