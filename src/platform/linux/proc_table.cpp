#include "platform/linux/proc_table.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/linux/proc_stat.h"

namespace kovra::linux_proc {

namespace {

constexpr size_t kDirBufferSize = 128 * 1024;
// Descriptors left for everything else the program opens (the scan's workers, the traffic
// producer's pipes, the toolkit, kernel files kept by the other samplers).
constexpr uint64_t kReservedDescriptors = 1024;
// Descriptors a kept process may hold (statm and comm, or stat and statm).
constexpr uint64_t kDescriptorsPerProcess = 2;
// The most processes worth keeping open; beyond it they are read with open/read/close.
constexpr uint64_t kMostKeptProcesses = 16384;

std::atomic<size_t> gKeptProcesses{0};

DescriptorPlan decidePlan() {
  DescriptorPlan plan;
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0) return plan;
  const uint64_t wanted = kReservedDescriptors + kDescriptorsPerProcess * kMostKeptProcesses;
  uint64_t soft = lim.rlim_cur == RLIM_INFINITY ? wanted : lim.rlim_cur;
  if (soft < wanted) {
    rlimit raised = lim;
    raised.rlim_cur = lim.rlim_max == RLIM_INFINITY ? wanted : std::min<uint64_t>(wanted, lim.rlim_max);
    if (raised.rlim_cur > lim.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0) soft = raised.rlim_cur;
  }
  plan.softLimit = soft;
  plan.keepLimit = soft > kReservedDescriptors * 2
                       ? static_cast<size_t>(std::min(kMostKeptProcesses, (soft - kReservedDescriptors) / kDescriptorsPerProcess))
                       : 0;
  return plan;
}

bool parsePid(const char* name, int32_t& pid) {
  int64_t v = 0;
  if (*name == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    v = v * 10 + (*c - '0');
    if (v > INT32_MAX) return false;
  }
  if (v <= 0) return false;
  pid = static_cast<int32_t>(v);
  return true;
}

// Reads from offset 0; returns bytes read or -1 with errno.
ssize_t preadAll(int fd, char* buffer, size_t size) {
  while (true) {
    ssize_t n = ::pread(fd, buffer, size, 0);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

int openAt(int dirFd, int32_t pid, const char* name) {
  // "<pid>/<name>", written by hand: formatting is a visible share of reading a new process.
  char path[48];
  char digits[12];
  size_t n = 0;
  uint32_t v = static_cast<uint32_t>(pid);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  size_t at = 0;
  while (n > 0) path[at++] = digits[--n];
  path[at++] = '/';
  for (const char* c = name; *c != '\0' && at + 1 < sizeof path; ++c) path[at++] = *c;
  path[at] = '\0';
  return ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
}

// Opens, reads whole (small kernel file) and closes; bytes read or -1 with errno.
ssize_t readOnce(int dirFd, int32_t pid, const char* name, char* buffer, size_t size) {
  int fd = openAt(dirFd, pid, name);
  if (fd < 0) return -1;
  ssize_t n = preadAll(fd, buffer, size);
  int error = errno;
  ::close(fd);
  errno = error;
  return n;
}

void copyName(std::string_view name, ProcReading& r) {
  r.commLength = static_cast<uint8_t>(std::min(name.size(), r.comm.size()));
  std::memcpy(r.comm.data(), name.data(), r.commLength);
}

// The pidfd information query of Linux 6.13 (linux/pidfd.h), declared here for older headers.
struct PidfdInfo {
  uint64_t mask;
  uint64_t cgroupid;
  uint32_t pid, tgid, ppid, ruid, rgid, euid, egid, suid, sgid, fsuid, fsgid;
  int32_t exitCode;
};
static_assert(sizeof(PidfdInfo) == 64);
constexpr uint64_t kPidfdInfoCreds = 1u << 1;
constexpr uint64_t kPidfdInfoCgroupId = 1u << 2;
constexpr unsigned long kPidfdGetInfo = _IOWR(0xFF, 11, PidfdInfo);
#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif

std::atomic<bool> gPidfdInfoMissing{false};

ProcFacts factsOf(const ProcStat& s) {
  ProcFacts f{s.startTime, s.ppid, s.state, std::string(s.comm), (s.flags & kKernelThreadFlag) != 0};
  f.hasEnvRange = s.hasEnvRange;
  f.envStart = s.envStart;
  f.envEnd = s.envEnd;
  return f;
}

// Copies of environment blocks straight from memory stop for good once the kernel shows it lacks
// the call, or refuses it many times in a row (a ptrace policy that allows only one's own
// children, a system call filter): the file is then read at once.
std::atomic<bool> gMemoryReadOff{false};
std::atomic<uint32_t> gMemoryReadRefusalsInARow{0};
constexpr uint32_t kMemoryReadRefusalsBeforeGivingUp = 64;

bool memoryReadWorthTrying() { return !gMemoryReadOff.load(std::memory_order_relaxed); }

bool isGoneOrRefused(int error) { return error == ENOENT || error == ESRCH || error == EACCES || error == EPERM; }

}  // namespace

const DescriptorPlan& descriptorPlan() {
  static const DescriptorPlan plan = decidePlan();
  return plan;
}

namespace {

bool fillReading(const ProcStat* s, std::string_view statm, ProcReading& out) {
  auto m = parseProcStatm(statm);
  if (!s || !m) return false;
  out.cpuTicks = s->utime + s->stime;
  out.startTime = s->startTime;
  out.ppid = s->ppid;
  out.isKernelThread = (s->flags & kKernelThreadFlag) != 0;
  copyName(s->comm, out);
  out.residentPages = m->resident;
  out.sharedPages = m->shared;
  return true;
}

}  // namespace

bool fillReading(std::string_view stat, std::string_view statm, ProcReading& out) {
  auto s = parseProcStat(stat);
  return fillReading(s ? &*s : nullptr, statm, out);
}

std::optional<uint64_t> processClockNanos(int32_t pid) {
  if (pid <= 0) return std::nullopt;
  // The process-wide scheduler clock of `pid` (CPUCLOCK_SCHED of a thread group).
  const auto id = static_cast<clockid_t>((~static_cast<uint32_t>(pid) << 3) | 2u);
  timespec ts{};
  // Straight to the kernel: the vDSO cannot read another process's clock and would only hand
  // the call on.
  if (::syscall(SYS_clock_gettime, id, &ts) != 0) return std::nullopt;
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

std::string_view unescapeComm(std::string_view text, std::array<char, 64>& out) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  size_t n = 0;
  for (size_t i = 0; i < text.size() && n < out.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
      c = text[i + 1] == 'n' ? '\n' : '\\';
      ++i;
    }
    out[n++] = c;
  }
  return {out.data(), n};
}

ProcTable::ProcTable(std::string root)
    : ProcTable(root, root == "/proc" && processClockNanos(static_cast<int32_t>(::getpid()))
                          ? CpuTimeSource::processClock
                          : CpuTimeSource::statFile) {}

ProcTable::ProcTable(std::string root, CpuTimeSource source)
    : root_(std::move(root)), cpuSource_(source), dirBuffer_(kDirBufferSize) {
  rootFd_ = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd_ < 0) openErrno_ = errno;
  keepLimit_ = descriptorPlan().keepLimit;
  if (cpuSource_ == CpuTimeSource::processClock) {
    cpuUnitNanos_ = 1.0;
  } else if (long ticks = ::sysconf(_SC_CLK_TCK); ticks > 0) {
    cpuUnitNanos_ = 1e9 / static_cast<double>(ticks);
  }
}

ProcTable::~ProcTable() {
  for (auto& [pid, e] : entries_) closeEntry(e);
  if (rootFd_ >= 0) ::close(rootFd_);
}

size_t ProcTable::keptDescriptors() const {
  size_t n = 0;
  for (const auto& [pid, e] : entries_) n += (e.statmFd >= 0) + (e.statFd >= 0) + (e.commFd >= 0);
  return n;
}

void ProcTable::closeEntry(Entry& e) {
  if (e.statmFd < 0) return;
  for (int* fd : {&e.statmFd, &e.statFd, &e.commFd}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  gKeptProcesses.fetch_sub(1, std::memory_order_relaxed);
}

void ProcTable::sweep() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.round != round_) {
      closeEntry(it->second);
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
}

Result<size_t, int> ProcTable::list(std::span<int32_t> buffer) {
  if (rootFd_ < 0) return Failure{openErrno_};
  facts_.clear();
  // A listing repeated before any read (a larger buffer) stays in the same round.
  if (readThisRound_ > 0) {
    // Every kept process read in the round: nothing to close, and no need to visit them all.
    if (keptThisRound_ < entries_.size()) sweep();
    ++round_;
    readThisRound_ = 0;
    keptThisRound_ = 0;
  }
  if (::lseek(rootFd_, 0, SEEK_SET) < 0) return Failure{errno};
  size_t count = 0;
  while (true) {
    long n = ::syscall(SYS_getdents64, rootFd_, dirBuffer_.data(), dirBuffer_.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failure{errno};
    }
    if (n == 0) break;
    for (long at = 0; at < n;) {
      const char* record = dirBuffer_.data() + at;
      unsigned short length = 0;
      std::memcpy(&length, record + 16, sizeof length);  // d_reclen
      if (length == 0) break;
      int32_t pid = 0;
      if (parsePid(record + 19, pid)) {  // d_name
        if (buffer.empty()) {
          ++count;
        } else {
          buffer[count++] = pid;
          if (count == buffer.size()) return count;
        }
      }
      at += length;
    }
  }
  return count;
}

bool ProcTable::refreshName(int32_t pid, Entry& e) {
  if (e.commFd < 0) {
    e.commFd = openAt(rootFd_, pid, "comm");
    if (e.commFd < 0) return false;
  }
  char text[160];
  ssize_t n = preadAll(e.commFd, text, sizeof text);
  if (n <= 0) return false;
  std::array<char, 64> name{};
  copyName(unescapeComm({text, static_cast<size_t>(n)}, name), e.identity);
  return true;
}

Result<ProcReading, int> ProcTable::readKept(int32_t pid, Entry& e) {
  char statm[256];
  ProcReading r;
  if (cpuSource_ == CpuTimeSource::statFile) {
    char stat[2048];
    ssize_t a = preadAll(e.statFd, stat, sizeof stat - 1);
    ssize_t b = a < 0 ? -1 : preadAll(e.statmFd, statm, sizeof statm - 1);
    if (a < 0 || b < 0 || !fillReading({stat, static_cast<size_t>(a)}, {statm, static_cast<size_t>(b)}, r)) {
      return Failure{ESRCH};
    }
    return r;
  }
  auto cpu = processClockNanos(pid);
  if (!cpu) return Failure{ESRCH};
  // Only a process that ran can have started another program.
  if (*cpu != e.cpu && !e.identity.isKernelThread && !refreshName(pid, e)) return Failure{ESRCH};
  // Read last: its success vouches that the pid still named this process above.
  ssize_t b = preadAll(e.statmFd, statm, sizeof statm - 1);
  auto m = b < 0 ? std::nullopt : parseProcStatm({statm, static_cast<size_t>(b)});
  if (!m) return Failure{ESRCH};
  e.cpu = *cpu;
  r = e.identity;
  r.cpuTicks = *cpu;
  r.residentPages = m->resident;
  r.sharedPages = m->shared;
  return r;
}

Result<ProcReading, int> ProcTable::read(int32_t pid) {
  ++readThisRound_;
  auto it = entries_.find(pid);
  if (it != entries_.end()) {
    auto r = readKept(pid, it->second);
    if (r.ok()) {
      if (it->second.round != round_) ++keptThisRound_;
      it->second.round = round_;
      return r;
    }
    // The process has gone (ESRCH); a newer one may hold the pid now.
    if (it->second.round == round_ && keptThisRound_ > 0) --keptThisRound_;
    closeEntry(it->second);
    entries_.erase(it);
  }
  return readFresh(pid);
}

Result<ProcReading, int> ProcTable::readFresh(int32_t pid) {
  if (rootFd_ < 0) return Failure{openErrno_};
  const bool clock = cpuSource_ == CpuTimeSource::processClock;
  // statm is opened first and read last, so everything read by pid in between is vouched for.
  int statmFd = openAt(rootFd_, pid, "statm");
  if (statmFd < 0) {
    int error = errno;
    if (error == EMFILE || error == ENFILE) keepFiles_ = false;
    return Failure{error};
  }
  Entry e;
  e.statmFd = statmFd;
  gKeptProcesses.fetch_add(1, std::memory_order_relaxed);
  auto fail = [&](int error) -> Result<ProcReading, int> {
    if (error == EMFILE || error == ENFILE) keepFiles_ = false;
    closeEntry(e);
    return Failure{error};
  };
  std::optional<uint64_t> cpu;
  if (clock) {
    cpu = processClockNanos(pid);
    if (!cpu) return fail(ESRCH);
  }
  char stat[2048];
  ssize_t a = -1;
  if (clock) {
    a = readOnce(rootFd_, pid, "stat", stat, sizeof stat - 1);
  } else {
    e.statFd = openAt(rootFd_, pid, "stat");
    if (e.statFd >= 0) a = preadAll(e.statFd, stat, sizeof stat - 1);
  }
  if (a < 0) return fail(errno);
  char statm[256];
  ssize_t b = preadAll(statmFd, statm, sizeof statm - 1);
  if (b < 0) return fail(errno);
  ProcReading r;
  auto s = parseProcStat({stat, static_cast<size_t>(a)});
  if (!fillReading(s ? &*s : nullptr, {statm, static_cast<size_t>(b)}, r)) return fail(EINVAL);
  facts_.insert_or_assign(pid, factsOf(*s));
  if (clock) {
    r.cpuTicks = *cpu;
    e.cpu = *cpu;
  }
  e.identity = r;
  e.round = round_;
  if (!keepFiles_ || entries_.size() >= keepLimit_ ||
      gKeptProcesses.load(std::memory_order_relaxed) > descriptorPlan().keepLimit) {
    closeEntry(e);
    return r;
  }
  if (entries_.emplace(pid, e).second) ++keptThisRound_;
  return r;
}

std::optional<ProcFacts> ProcTable::facts(int32_t pid) const {
  if (auto it = facts_.find(pid); it != facts_.end()) return it->second;
  return freshFacts(pid);
}

std::optional<ProcFacts> ProcTable::freshFacts(int32_t pid) const {
  std::optional<ProcFacts> f;
  char stat[2048];
  ssize_t n = rootFd_ < 0 ? -1 : readOnce(rootFd_, pid, "stat", stat, sizeof stat - 1);
  if (n >= 0) {
    if (auto s = parseProcStat({stat, static_cast<size_t>(n)})) {
      f = factsOf(*s);
    }
  }
  // Failures other than a vanished or refused process are not remembered.
  if (f || (n < 0 && isGoneOrRefused(errno))) facts_.insert_or_assign(pid, f);
  return f;
}

std::optional<PidInfo> ProcTable::pidInfo(int32_t pid) const {
  if (root_ != "/proc" || pid <= 0 || gPidfdInfoMissing.load(std::memory_order_relaxed)) return std::nullopt;
  int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) {
    if (errno == ENOSYS) gPidfdInfoMissing = true;
    return std::nullopt;
  }
  PidfdInfo info{};
  info.mask = kPidfdInfoCreds | kPidfdInfoCgroupId;
  int r = ::ioctl(fd, kPidfdGetInfo, &info);
  int error = errno;
  ::close(fd);
  if (r != 0) {
    if (error == ENOTTY || error == EINVAL || error == EOPNOTSUPP) gPidfdInfoMissing = true;
    return std::nullopt;
  }
  if ((info.mask & kPidfdInfoCreds) == 0) return std::nullopt;
  PidInfo out;
  out.realUid = info.ruid;
  out.cgroupId = (info.mask & kPidfdInfoCgroupId) != 0 ? info.cgroupid : 0;
  return out;
}

bool ProcTable::unifiedCgroupsOnly() const {
  static const bool unified = [] {
    std::string text;
    int fd = ::open("/proc/self/cgroup", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
    ::close(fd);
    // One line, "0::/path".
    return text.starts_with("0::") && text.find('\n') == text.size() - 1;
  }();
  return root_ == "/proc" && unified;
}

bool ProcTable::readEnvironment(int32_t pid, const ProcFacts& facts, std::string& out, size_t limit) const {
  // One copy from the process's memory costs about half of opening, reading and closing the
  // file. It needs the stronger right to attach to the process; where that is refused, or the
  // copy comes back short (the block moved or shrank), the file decides.
  if (root_ == "/proc" && facts.hasEnvRange && facts.envEnd > facts.envStart && memoryReadWorthTrying()) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(facts.envEnd - facts.envStart, limit));
    out.resize(length);
    iovec local{out.data(), length};
    iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(facts.envStart)), length};
    ssize_t n = ::process_vm_readv(pid, &local, 1, &remote, 1, 0);
    if (n == static_cast<ssize_t>(length)) {
      gMemoryReadRefusalsInARow.store(0, std::memory_order_relaxed);
      return true;
    }
    if (n < 0 && errno == ENOSYS) gMemoryReadOff = true;
    if (n < 0 && errno == EPERM &&
        gMemoryReadRefusalsInARow.fetch_add(1, std::memory_order_relaxed) + 1 >= kMemoryReadRefusalsBeforeGivingUp) {
      gMemoryReadOff = true;
    }
  }
  std::string path = std::to_string(pid) + "/environ";
  return readFile(path, out, limit);
}

bool ProcTable::readFile(std::string_view relative, std::string& out, size_t limit) const {
  return readWhole(relative, out, limit, false);
}

bool ProcTable::readPiece(std::string_view relative, std::string& out, size_t limit) const {
  return readWhole(relative, out, limit, true);
}

bool ProcTable::readWhole(std::string_view relative, std::string& out, size_t limit, bool shortReadEnds) const {
  out.clear();
  if (rootFd_ < 0) {
    errno = openErrno_;
    return false;
  }
  std::string path(relative);
  int fd = ::openat(rootFd_, path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[4096];
  while (out.size() < limit) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      errno = error;
      return false;
    }
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(std::min<size_t>(static_cast<size_t>(n), limit - out.size())));
    if (shortReadEnds && static_cast<size_t>(n) < sizeof chunk) break;
  }
  ::close(fd);
  return true;
}

}  // namespace kovra::linux_proc
