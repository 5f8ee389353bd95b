#pragma once
// The process table of a Linux machine as the process sampler takes it: /proc read through one
// directory descriptor (ProcTable), the apps from systemd units and .desktop files (DesktopApps).
// Each process's name and app group are worked out once per life, and again when it runs another
// program; its processor time since the previous refresh comes with every row.

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/linux/desktop_apps.h"
#include "platform/linux/desktop_index.h"
#include "platform/linux/proc_table.h"
#include "platform/process.h"

namespace kovra::linux_proc {

class LinuxProcessTable : public platform::ProcessTable {
 public:
  LinuxProcessTable(std::string procRoot, DesktopIndex& index, uint32_t ownUid, int32_t ownPID);

  std::optional<double> cpuUnitNanos() override { return table_.cpuUnitNanos(); }
  std::string_view cpuUnitCall() const override;
  int activeProcessorCount() override;
  Result<platform::ProcessRows, std::string> refresh(uint64_t now) override;
  platform::AppGroupInfo groupInfo(const std::string& groupKey) override {
    settleOwnGroup();
    return apps_.info(groupKey);
  }
  void runningApplicationPIDs(std::unordered_set<int32_t>& out) override;
  std::string ownGroupPath() override {
    settleOwnGroup();
    return apps_.ownGroup();
  }

  ProcTable& table() { return table_; }

 private:
  struct Known {
    uint64_t startTime = 0;
    std::array<char, 16> comm{};  // the kernel's short name; zero for kernel threads
    uint64_t cpu = 0;
    std::string name;
    std::optional<std::string> group;
    uint32_t seen = 0;
  };
  struct Refused {
    uint64_t lastAttempt = 0;
    uint32_t seen = 0;
  };
  // This program's own group: finding it may read every desktop entry, so it is worked out on
  // first use (on the sampling thread), not where the table is made (during start-up).
  void settleOwnGroup();
  Result<size_t, int> list();
  void resolve(int32_t pid, const ProcReading& reading, Known& k);

  ProcTable table_;
  DesktopApps apps_;
  int32_t ownPID_;
  bool ownGroupSettled_ = false;
  uint64_t pageSize_;
  uint32_t generation_ = 0;
  std::vector<int32_t> pids_;
  size_t listed_ = 0;
  std::unordered_map<int32_t, Known> known_;
  std::unordered_map<int32_t, Refused> refused_;
  std::vector<platform::ProcessRow> rows_;
  std::vector<int32_t> stale_;
  std::vector<DesktopApps::Top> tops_;
};

// The footprint of a process: its resident memory that is not backed by a file or shared
// memory ((resident − shared) pages of statm: the anonymous resident pages), in bytes.
uint64_t privateResidentBytes(const ProcReading& r, uint64_t pageSize);

}  // namespace kovra::linux_proc
