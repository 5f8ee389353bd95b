#include "platform/linux/proc_table.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/linux/proc_stat.h"

namespace kovra::linux_proc {

namespace {

constexpr size_t kDirBufferSize = 128 * 1024;
// Descriptors left for everything else the program opens.
constexpr rlim_t kReservedDescriptors = 256;

// Raises the soft descriptor limit to the hard one and returns the soft limit.
rlim_t raiseDescriptorLimit() {
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0) return 1024;
  if (lim.rlim_cur < lim.rlim_max) {
    rlimit raised = lim;
    raised.rlim_cur = lim.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) lim = raised;
  }
  return lim.rlim_cur == RLIM_INFINITY ? rlim_t{1} << 20 : lim.rlim_cur;
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

}  // namespace

bool fillReading(std::string_view stat, std::string_view statm, ProcReading& out) {
  auto s = parseProcStat(stat);
  auto m = parseProcStatm(statm);
  if (!s || !m) return false;
  out.cpuTicks = s->utime + s->stime;
  out.startTime = s->startTime;
  out.ppid = s->ppid;
  out.isKernelThread = (s->flags & kKernelThreadFlag) != 0;
  out.commLength = static_cast<uint8_t>(std::min(s->comm.size(), out.comm.size()));
  std::memcpy(out.comm.data(), s->comm.data(), out.commLength);
  out.residentPages = m->resident;
  out.sharedPages = m->shared;
  return true;
}

ProcTable::ProcTable(std::string root) : root_(std::move(root)), dirBuffer_(kDirBufferSize) {
  rootFd_ = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd_ < 0) openErrno_ = errno;
  rlim_t limit = raiseDescriptorLimit();
  keepLimit_ = limit > kReservedDescriptors * 2 ? static_cast<size_t>((limit - kReservedDescriptors) / 2) : 0;
}

ProcTable::~ProcTable() {
  for (auto& [pid, e] : entries_) closeEntry(e);
  if (rootFd_ >= 0) ::close(rootFd_);
}

void ProcTable::closeEntry(Entry& e) {
  if (e.statFd >= 0) ::close(e.statFd);
  if (e.statmFd >= 0) ::close(e.statmFd);
  e.statFd = e.statmFd = -1;
}

void ProcTable::sweep() {
  if (readThisRound_ >= entries_.size()) return;  // every kept process was read
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
  // A listing repeated before any read (a larger buffer) stays in the same round.
  if (readThisRound_ > 0) {
    sweep();
    ++round_;
    readThisRound_ = 0;
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

Result<ProcReading, int> ProcTable::read(int32_t pid) {
  ++readThisRound_;
  auto it = entries_.find(pid);
  if (it != entries_.end()) {
    char stat[2048];
    char statm[256];
    ssize_t a = preadAll(it->second.statFd, stat, sizeof stat - 1);
    ssize_t b = a < 0 ? -1 : preadAll(it->second.statmFd, statm, sizeof statm - 1);
    ProcReading r;
    if (a >= 0 && b >= 0 &&
        fillReading({stat, static_cast<size_t>(a)}, {statm, static_cast<size_t>(b)}, r)) {
      it->second.round = round_;
      return r;
    }
    // The process has gone (ESRCH); a newer one may hold the pid now.
    closeEntry(it->second);
    entries_.erase(it);
  }
  return readFresh(pid);
}

Result<ProcReading, int> ProcTable::readFresh(int32_t pid) {
  if (rootFd_ < 0) return Failure{openErrno_};
  char path[32];
  std::snprintf(path, sizeof path, "%d/stat", static_cast<int>(pid));
  int statFd = ::openat(rootFd_, path, O_RDONLY | O_CLOEXEC);
  if (statFd < 0) {
    int error = errno;
    if (error == EMFILE || error == ENFILE) keepFiles_ = false;
    return Failure{error};
  }
  std::snprintf(path, sizeof path, "%d/statm", static_cast<int>(pid));
  int statmFd = ::openat(rootFd_, path, O_RDONLY | O_CLOEXEC);
  if (statmFd < 0) {
    int error = errno;
    ::close(statFd);
    if (error == EMFILE || error == ENFILE) keepFiles_ = false;
    return Failure{error};
  }
  Entry e{statFd, statmFd, round_};
  char stat[2048];
  char statm[256];
  ssize_t a = preadAll(statFd, stat, sizeof stat - 1);
  int error = errno;
  ssize_t b = a < 0 ? -1 : preadAll(statmFd, statm, sizeof statm - 1);
  if (b < 0 && a >= 0) error = errno;
  ProcReading r;
  bool ok = a >= 0 && b >= 0 && fillReading({stat, static_cast<size_t>(a)}, {statm, static_cast<size_t>(b)}, r);
  if (!ok || !keepFiles_ || entries_.size() >= keepLimit_) {
    closeEntry(e);
    if (!ok) return Failure{a >= 0 && b >= 0 ? EINVAL : error};
    return r;
  }
  entries_.emplace(pid, e);
  return r;
}

bool ProcTable::readFile(std::string_view relative, std::string& out, size_t limit) const {
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
  }
  ::close(fd);
  return true;
}

}  // namespace kovra::linux_proc
