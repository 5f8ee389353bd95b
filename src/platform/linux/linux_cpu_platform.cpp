#include "platform/linux/linux_cpu_platform.h"

#include <utility>

#include "platform/linux/cpu_ticks.h"

namespace kovra {

std::unique_ptr<CPUPlatform> makeCPUPlatform() { return std::make_unique<LinuxCPUPlatform>(); }

LinuxCPUPlatform::LinuxCPUPlatform(std::string path) : file_(std::move(path)) {}

Result<uint32_t, std::string> LinuxCPUPlatform::readProcessorTicks(std::vector<uint32_t>& values) {
  auto text = file_.read();
  if (!text.ok()) return Failure{linuxfs::readFailure(file_.path(), text.error())};
  return linuxfs::parseCpuTicks(text.value(), values);
}

}  // namespace kovra
