#pragma once
// Memory counters on Linux: /proc/meminfo, the zram devices' mm_stat and /proc/pressure/memory.
//
// The figures are mapped onto the app / wired / compressed / cached split:
//   app        = AnonPages + Shmem
//   cached     = Buffers + (Cached − Shmem) + SReclaimable
//   compressed = Zswap + mem_used_total of every /sys/block/zram*/mm_stat
//   wired      = MemTotal − MemFree − app − cached − compressed, never below 0
// so that used = app + wired + compressed is what the kernel holds that cannot simply be dropped.

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/meminfo.h"
#include "platform/linux/memory_pressure.h"
#include "platform/linux/kernel_file.h"
#include "platform/linux/sys_root.h"
#include "platform/memory_platform.h"

namespace kovra {

class LinuxMemoryPlatform : public MemoryPlatform {
 public:
  struct Paths {
    std::string meminfo = "/proc/meminfo";
    std::string pressure = "/proc/pressure/memory";
    std::string blockDevices = linuxfs::sysRoot() + "/block";
  };

  LinuxMemoryPlatform();
  LinuxMemoryPlatform(Paths paths, UptimeClock clock);

  Result<MemoryFigures, std::string> figures() override;
  Result<MemoryPressure, std::string> pressure() override;
  Result<SwapUsage, std::string> swapUsage() override;

  // How often the list of zram devices is taken again.
  static constexpr double kZramRescanSeconds = 300;

 private:
  Result<linuxfs::MemInfo, std::string> readMeminfo();
  // The tracker's level: 1 normal, 2 warning, 4 critical.
  Result<int32_t, std::string> pressureLevel();
  uint64_t zramBytes();

  Paths paths_;
  UptimeClock clock_;
  linuxfs::ProcFile meminfo_;
  linuxfs::ProcFile pressure_;
  std::vector<linuxfs::ProcFile> zram_;
  std::optional<double> zramScannedAt_;
  linuxfs::MemInfo info_;  // the meminfo of the current reading, for pressure and swap
  bool haveInfo_ = false;
  bool psiAbsent_ = false;
  linuxfs::MemoryPressureTracker tracker_;
};

}  // namespace kovra
