#include "platform/linux/proc_source.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace kovra::linux_proc {

uint64_t privateResidentBytes(const ProcReading& r, uint64_t pageSize) {
  return r.residentPages > r.sharedPages ? (r.residentPages - r.sharedPages) * pageSize : 0;
}

LinuxProcessSource::LinuxProcessSource(std::string procRoot, DesktopIndex& index, uint32_t ownUid, int32_t ownPID)
    : table_(std::move(procRoot)), apps_(table_, index, ownUid) {
  long page = ::sysconf(_SC_PAGESIZE);
  pageSize_ = page > 0 ? static_cast<uint64_t>(page) : 4096;
  if (auto own = apps_.groupOf(ownPID, apps_.executable(ownPID))) apps_.setOwnGroup(*own);
}

platform::ProcessCallNames LinuxProcessSource::callNames() const {
  const bool clock = table_.cpuSource() == CpuTimeSource::processClock;
  return {clock ? "clock_gettime(CPUCLOCK_SCHED)" : "sysconf(_SC_CLK_TCK)", "getdents64", "openat /proc/<pid>/statm",
          "EACCES/EPERM"};
}

std::optional<double> LinuxProcessSource::ticksToNanos() { return table_.cpuUnitNanos(); }

int LinuxProcessSource::activeProcessorCount() {
  long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

Result<size_t, int> LinuxProcessSource::listAllPIDs(std::span<int32_t> buffer) {
  auto r = table_.list(buffer);
  if (r.ok() && !buffer.empty()) listed_.assign(buffer.begin(), buffer.begin() + static_cast<long>(r.value()));
  return r;
}

Result<platform::ProcessUsage, platform::UsageFailure> LinuxProcessSource::usage(int32_t pid) {
  auto r = table_.read(pid);
  if (!r.ok()) {
    int e = r.error();
    return Failure{e == EACCES || e == EPERM ? platform::UsageFailure::refused : platform::UsageFailure::gone};
  }
  const ProcReading& reading = r.value();
  platform::ProcessUsage u;
  u.cpuTicks = reading.cpuTicks;
  u.footprintBytes = privateResidentBytes(reading, pageSize_);
  u.startTime = reading.startTime;
  // The name changes when the process runs another program; kernel threads never do.
  if (!reading.isKernelThread) {
    std::memcpy(u.comm.data(), reading.comm.data(), std::min<size_t>(reading.commLength, 16));
  }
  lastPID_ = pid;
  last_ = reading;
  return u;
}

std::optional<std::string> LinuxProcessSource::executablePath(int32_t pid) { return apps_.executable(pid); }

std::optional<std::string> LinuxProcessSource::shortName(int32_t pid) {
  if (pid == lastPID_) return std::string(last_.name());
  auto f = apps_.facts(pid);
  if (!f) return std::nullopt;
  return f->comm;
}

std::optional<std::string> LinuxProcessSource::appGroup(int32_t pid, const std::optional<std::string>& path) {
  return apps_.groupOf(pid, path);
}

platform::AppGroupInfo LinuxProcessSource::groupInfo(const std::string& groupPath) { return apps_.info(groupPath); }

void LinuxProcessSource::runningApplicationPIDs(std::unordered_set<int32_t>& out) {
  out.clear();
  apps_.topProcesses(listed_, false, tops_);
  for (const auto& t : tops_) out.insert(t.pid);
}

}  // namespace kovra::linux_proc

namespace kovra::platform {

std::unique_ptr<ProcessSource> makeProcessSource() {
  return std::make_unique<linux_proc::LinuxProcessSource>("/proc", linux_proc::DesktopIndex::shared(),
                                                          static_cast<uint32_t>(::getuid()),
                                                          static_cast<int32_t>(::getpid()));
}

uint64_t monotonicNanos() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace kovra::platform
