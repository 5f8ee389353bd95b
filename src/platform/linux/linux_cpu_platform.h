#pragma once
// Processor tick counters on Linux, from the per-processor lines of /proc/stat.

#include <string>

#include "platform/cpu_platform.h"
#include "platform/linux/kernel_file.h"

namespace kovra {

class LinuxCPUPlatform : public CPUPlatform {
 public:
  explicit LinuxCPUPlatform(std::string path = "/proc/stat");
  Result<uint32_t, std::string> readProcessorTicks(std::vector<uint32_t>& values) override;
  std::string_view tickSourceName() const override { return file_.path(); }

 private:
  linuxfs::ProcFile file_;
};

}  // namespace kovra
