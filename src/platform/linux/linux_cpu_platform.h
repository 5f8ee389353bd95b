#pragma once
// Processor times on Linux, from the per-processor lines of /proc/stat.

#include <string>

#include "platform/cpu_platform.h"
#include "platform/linux/kernel_file.h"

namespace kovra {

class LinuxCPUPlatform : public CPUPlatform {
 public:
  explicit LinuxCPUPlatform(std::string path = "/proc/stat");
  // Fails when the file cannot be read, has no processor line, or a processor line has fewer than
  // four figures.
  Result<size_t, std::string> readProcessorTimes(std::vector<ProcessorTimes>& times) override;

 private:
  linuxfs::ProcFile file_;
};

}  // namespace kovra
