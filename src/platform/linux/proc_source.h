#pragma once
// The process sampler's view of a Linux machine: /proc for the processes, the .desktop files
// for the apps.

#include <memory>
#include <vector>

#include "platform/linux/desktop_apps.h"
#include "platform/linux/desktop_index.h"
#include "platform/linux/proc_table.h"
#include "platform/process.h"

namespace kovra::linux_proc {

class LinuxProcessSource : public platform::ProcessSource {
 public:
  LinuxProcessSource(std::string procRoot, DesktopIndex& index, uint32_t ownUid, int32_t ownPID);

  platform::ProcessCallNames callNames() const override;
  std::optional<double> ticksToNanos() override;
  int activeProcessorCount() override;
  Result<size_t, int> listAllPIDs(std::span<int32_t> buffer) override;
  Result<platform::ProcessUsage, platform::UsageFailure> usage(int32_t pid) override;
  std::optional<std::string> executablePath(int32_t pid) override;
  std::optional<std::string> shortName(int32_t pid) override;
  std::optional<std::string> appGroup(int32_t pid, const std::optional<std::string>& executablePath) override;
  platform::AppGroupInfo groupInfo(const std::string& groupPath) override;
  void runningApplicationPIDs(std::unordered_set<int32_t>& out) override;
  std::string ownGroupPath() override { return apps_.ownGroup(); }

  ProcTable& table() { return table_; }

 private:
  ProcTable table_;
  DesktopApps apps_;
  uint64_t pageSize_;
  std::vector<int32_t> listed_;
  std::vector<DesktopApps::Top> tops_;
  int32_t lastPID_ = 0;
  ProcReading last_;
};

// The footprint of a process: its resident memory that is not backed by a file or shared
// memory ((resident − shared) pages of statm: the anonymous resident pages), in bytes.
uint64_t privateResidentBytes(const ProcReading& r, uint64_t pageSize);

}  // namespace kovra::linux_proc
