#pragma once
// Reads the process table from /proc cheaply. The pid list comes through one directory
// descriptor. A process first seen has its stat file read once (start time, parent, name);
// after that only what changes is read: its processor time from the kernel's per-process CPU
// clock (nanoseconds, no text to format) and its memory from statm, kept open and re-read with
// pread. A kept descriptor fails with ESRCH once its process has gone, so it never reads a newer
// process that reuses the pid; statm is read last, so a successful read vouches for the clock
// read before it. The name is read again (from comm) only when the process has run since the
// last reading, as running is the only way it can have started another program.
//
// Where the per-process clock is unavailable (or the root is not the real /proc), stat and statm
// are both kept and re-read, with processor time in clock ticks.
//
// Every listing starts a round; descriptors of processes not read in the previous round are
// closed (mark and sweep). The number of descriptors all tables may keep is decided once per
// program, see descriptorPlan().

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/result.h"

namespace kovra::linux_proc {

struct ProcReading {
  uint64_t cpuTicks = 0;   // user + system time, in the table's unit (cpuUnitNanos)
  uint64_t startTime = 0;  // clock ticks since boot
  int64_t ppid = 0;        // at the first reading
  bool isKernelThread = false;
  std::array<char, 64> comm{};
  uint8_t commLength = 0;
  uint64_t residentPages = 0;
  uint64_t sharedPages = 0;

  std::string_view name() const { return {comm.data(), commLength}; }
};

// What one stat read tells about a process.
struct ProcFacts {
  uint64_t startTime = 0;
  int64_t ppid = 0;
  char state = '?';
  std::string comm;
  bool isKernelThread = false;
  // The environment block's place in the process's memory, when stat showed it.
  bool hasEnvRange = false;
  uint64_t envStart = 0;
  uint64_t envEnd = 0;
};

// What a pidfd tells about a live process without any text to format.
struct PidInfo {
  uint32_t realUid = 0;
  uint64_t cgroupId = 0;  // of the unified hierarchy
};

enum class CpuTimeSource {
  processClock,  // clock_gettime on the process's CPU clock: nanoseconds
  statFile,      // utime + stime of stat: clock ticks
};

// The program's descriptor budget, decided at the first use: the soft limit is raised (never
// above the hard one) to what the process table needs plus a margin for everything else, and
// the table keeps at most `keepLimit` processes' files open.
struct DescriptorPlan {
  uint64_t softLimit = 0;
  size_t keepLimit = 0;  // processes, across every table
};
const DescriptorPlan& descriptorPlan();

class ProcTable {
 public:
  // `root` is the proc file system (another folder in tests, which always uses statFile).
  explicit ProcTable(std::string root = "/proc");
  ProcTable(std::string root, CpuTimeSource source);
  ~ProcTable();
  ProcTable(const ProcTable&) = delete;
  ProcTable& operator=(const ProcTable&) = delete;

  // The errno of opening the root, 0 when it is open.
  int openError() const { return rootFd_ < 0 ? openErrno_ : 0; }
  int rootFd() const { return rootFd_; }
  const std::string& root() const { return root_; }
  CpuTimeSource cpuSource() const { return cpuSource_; }
  // Nanoseconds per unit of ProcReading::cpuTicks; absent when the unit is unknown.
  std::optional<double> cpuUnitNanos() const { return cpuUnitNanos_; }

  // Writes the pids into `buffer` and returns how many (a full buffer may mean there are more);
  // with an empty buffer returns how many exist. Starts a new round: descriptors of processes
  // that were not read in the previous round are closed. The failure is an errno.
  Result<size_t, int> list(std::span<int32_t> buffer);
  // Reads one process; the failure is an errno (ENOENT or ESRCH: gone; EACCES or EPERM: refused).
  Result<ProcReading, int> read(int32_t pid);
  // The stat facts of a process, read at most once per listing (a fresh read() provides them).
  std::optional<ProcFacts> facts(int32_t pid) const;
  // The same read now, whatever the listing saw (the pid may since belong to another process).
  std::optional<ProcFacts> freshFacts(int32_t pid) const;
  // The real user and cgroup of a process through a pidfd; absent on kernels without that
  // query (before 6.13), outside the real /proc, or when the process has gone.
  std::optional<PidInfo> pidInfo(int32_t pid) const;
  // True when the machine has only the unified cgroup hierarchy, so a cgroup id names one
  // cgroup path for good.
  bool unifiedCgroupsOnly() const;

  // Processes whose files are kept open.
  size_t keptCount() const { return entries_.size(); }
  // Descriptors this table holds open for the processes it keeps.
  size_t keptDescriptors() const;
  bool keepsFiles() const { return keepFiles_; }
  // Test hook: the most entries that may keep their files open.
  void setKeepLimit(size_t limit) { keepLimit_ = limit; }

  // True when stat showed the environment's place as nothing (in the real /proc): the reader
  // may not look into the process (the right that also guards its environment and root), or it
  // has no memory left. Neither can then be read.
  bool environmentHidden(const ProcFacts& facts) const {
    return root_ == "/proc" && facts.hasEnvRange && facts.envStart == 0 && facts.envEnd == 0;
  }
  // The environment block of a process (as in /proc/<pid>/environ, at most `limit` bytes),
  // copied straight from its memory when stat showed where it lies and the kernel allows it,
  // else read from the file; false on failure with errno set.
  bool readEnvironment(int32_t pid, const ProcFacts& facts, std::string& out, size_t limit = 1 << 20) const;

  // Reads a whole small file below the root ("<pid>/cgroup") into `out`; false on failure
  // with errno set.
  bool readFile(std::string_view relative, std::string& out, size_t limit = 1 << 20) const;
  // The same for a file the kernel writes in one piece (cgroup, status): a read that returns
  // less than asked was its end, so no further read is made to learn that.
  bool readPiece(std::string_view relative, std::string& out, size_t limit = 1 << 20) const;

 private:
  struct Entry {
    int statmFd = -1;
    int statFd = -1;  // statFile only
    int commFd = -1;  // processClock only, opened once the process has run
    uint32_t round = 0;
    uint64_t cpu = 0;
    ProcReading identity;  // start time, parent, name, kernel-thread flag
  };
  bool readWhole(std::string_view relative, std::string& out, size_t limit, bool shortReadEnds) const;
  Result<ProcReading, int> readKept(int32_t pid, Entry& e);
  Result<ProcReading, int> readFresh(int32_t pid);
  bool refreshName(int32_t pid, Entry& e);
  void closeEntry(Entry& e);
  void sweep();

  std::string root_;
  int rootFd_ = -1;
  int openErrno_ = 0;
  CpuTimeSource cpuSource_ = CpuTimeSource::statFile;
  std::optional<double> cpuUnitNanos_;
  std::vector<char> dirBuffer_;
  std::unordered_map<int32_t, Entry> entries_;
  mutable std::unordered_map<int32_t, std::optional<ProcFacts>> facts_;
  uint32_t round_ = 0;
  size_t readThisRound_ = 0;
  size_t keptThisRound_ = 0;  // kept entries read (or first kept) in this round
  size_t keepLimit_ = 0;
  bool keepFiles_ = true;
};

// Parses the two files into a reading; false when either is malformed.
bool fillReading(std::string_view stat, std::string_view statm, ProcReading& out);
// The processor time of a process from its CPU clock, in nanoseconds; absent when it has gone
// or the clock cannot be read.
std::optional<uint64_t> processClockNanos(int32_t pid);
// /proc/<pid>/comm escapes "\n" and "\\"; gives the name as stat shows it.
std::string_view unescapeComm(std::string_view text, std::array<char, 64>& out);

}  // namespace kovra::linux_proc
