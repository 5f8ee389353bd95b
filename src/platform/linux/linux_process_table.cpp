#include "platform/linux/linux_process_table.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace kovra::linux_proc {

uint64_t privateResidentBytes(const ProcReading& r, uint64_t pageSize) {
  return r.residentPages > r.sharedPages ? (r.residentPages - r.sharedPages) * pageSize : 0;
}

LinuxProcessTable::LinuxProcessTable(std::string procRoot, DesktopIndex& index, uint32_t ownUid, int32_t ownPID)
    : table_(std::move(procRoot)), apps_(table_, index, ownUid), ownPID_(ownPID) {
  long page = ::sysconf(_SC_PAGESIZE);
  pageSize_ = page > 0 ? static_cast<uint64_t>(page) : 4096;
}

void LinuxProcessTable::settleOwnGroup() {
  if (ownGroupSettled_) return;
  ownGroupSettled_ = true;
  if (auto own = apps_.groupOf(ownPID_, apps_.executable(ownPID_))) apps_.setOwnGroup(*own);
}

std::string_view LinuxProcessTable::cpuUnitCall() const {
  return table_.cpuSource() == CpuTimeSource::processClock ? "clock_gettime(CPUCLOCK_SCHED)" : "sysconf(_SC_CLK_TCK)";
}

int LinuxProcessTable::activeProcessorCount() {
  long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

Result<size_t, int> LinuxProcessTable::list() {
  if (pids_.empty()) pids_.resize(256);
  // A full buffer may mean more pids: list again into a larger one (the same round of the table).
  while (true) {
    auto n = table_.list(pids_);
    if (!n.ok()) return n;
    if (n.value() < pids_.size()) return n.value();
    pids_.resize(pids_.size() * 2);
  }
}

void LinuxProcessTable::resolve(int32_t pid, const ProcReading& reading, Known& k) {
  std::optional<std::string> path = apps_.executable(pid);
  if (path && path->empty()) path.reset();
  std::optional<std::string> name;
  if (path) name = platform::lastPathComponent(*path);
  if (name) {
    k.name = std::move(*name);
  } else if (!reading.name().empty()) {
    k.name = reading.name();
  } else {
    k.name = std::to_string(pid);
  }
  k.group = apps_.groupOf(pid, path);
}

Result<platform::ProcessRows, std::string> LinuxProcessTable::refresh(uint64_t now) {
  settleOwnGroup();
  auto listed = list();
  if (!listed.ok() || listed.value() == 0) {
    return Failure{"getdents64 başarısız (errno " + std::to_string(listed.ok() ? 0 : listed.error()) + ")"};
  }
  listed_ = listed.value();

  ++generation_;
  rows_.clear();
  size_t refusedCount = 0;
  for (size_t i = 0; i < listed_; ++i) {
    const int32_t pid = pids_[i];
    if (auto it = refused_.empty() ? refused_.end() : refused_.find(pid); it != refused_.end()) {
      if (now >= it->second.lastAttempt && now - it->second.lastAttempt < platform::kRetryRefusedNanos) {
        it->second.seen = generation_;
        ++refusedCount;
        continue;
      }
    }
    auto seen = known_.find(pid);
    // A pid listed twice in one listing is one process: read once, counted once.
    if (seen != known_.end() && seen->second.seen == generation_) continue;
    auto read = table_.read(pid);
    if (!read.ok()) {
      if (read.error() == EACCES || read.error() == EPERM) {
        ++refusedCount;
        refused_[pid] = Refused{now, generation_};
      }
      continue;  // gone
    }
    if (!refused_.empty()) refused_.erase(pid);
    const ProcReading& r = read.value();
    // The short name changes when the process runs another program; kernel threads never do.
    std::array<char, 16> comm{};
    if (!r.isKernelThread) std::memcpy(comm.data(), r.comm.data(), std::min<size_t>(r.commLength, comm.size()));

    platform::ProcessRow row{pid, r.ppid, r.startTime, r.cpuTicks, std::nullopt, privateResidentBytes(r, pageSize_),
                             {}, nullptr};
    auto it = seen;
    if (it != known_.end() && it->second.startTime == r.startTime) {
      Known& k = it->second;
      if (r.cpuTicks >= k.cpu) row.cpuSinceLast = r.cpuTicks - k.cpu;
      k.cpu = r.cpuTicks;
      k.seen = generation_;
      if (k.comm != comm) {
        resolve(pid, r, k);
        k.comm = comm;
      }
    } else {
      Known fresh{r.startTime, comm, r.cpuTicks, {}, std::nullopt, generation_};
      resolve(pid, r, fresh);
      it = known_.insert_or_assign(pid, std::move(fresh)).first;
    }
    row.name = it->second.name;
    row.group = it->second.group ? &*it->second.group : nullptr;
    rows_.push_back(row);
  }

  if (rows_.empty()) {
    return Failure{"openat /proc/<pid>/statm: hiçbir süreç okunamadı (" + std::to_string(listed_) + " pid, " +
                   std::to_string(refusedCount) + " EACCES/EPERM)"};
  }

  // Sweep what this refresh did not see.
  if (rows_.size() < known_.size()) {
    stale_.clear();
    for (const auto& [pid, k] : known_) {
      if (k.seen != generation_) stale_.push_back(pid);
    }
    for (int32_t pid : stale_) known_.erase(pid);
  }
  if (refusedCount < refused_.size()) {
    stale_.clear();
    for (const auto& [pid, r] : refused_) {
      if (r.seen != generation_) stale_.push_back(pid);
    }
    for (int32_t pid : stale_) refused_.erase(pid);
  }
  return platform::ProcessRows{rows_, refusedCount};
}

void LinuxProcessTable::runningApplicationPIDs(std::unordered_set<int32_t>& out) {
  out.clear();
  apps_.topProcesses(std::span<const int32_t>(pids_.data(), listed_), false, tops_);
  for (const auto& t : tops_) out.insert(t.pid);
}

}  // namespace kovra::linux_proc

namespace kovra::platform {

std::unique_ptr<ProcessTable> makeProcessTable() {
  return std::make_unique<linux_proc::LinuxProcessTable>("/proc", linux_proc::DesktopIndex::shared(),
                                                         static_cast<uint32_t>(::getuid()),
                                                         static_cast<int32_t>(::getpid()));
}

uint64_t monotonicNanos() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace kovra::platform
