#include "platform/linux/linux_cpu_platform.h"

#include <utility>

#include "platform/linux/cpu_ticks.h"

namespace kovra {

std::unique_ptr<CPUPlatform> makeCPUPlatform() { return std::make_unique<LinuxCPUPlatform>(); }

LinuxCPUPlatform::LinuxCPUPlatform(std::string path) : file_(std::move(path)) {}

Result<size_t, std::string> LinuxCPUPlatform::readProcessorTimes(std::vector<ProcessorTimes>& times) {
  auto text = file_.read();
  if (!text.ok()) return Failure{linuxfs::readFailure(file_.path(), text.error())};
  const uint64_t processors = linuxfs::parseCpuTimes(text.value(), times);
  if (processors == 0 || times.size() != processors) {
    return Failure{file_.path() + ": " + std::to_string(processors) + " işlemci, " + std::to_string(times.size() * 4) +
                   " değer (beklenen en az " + std::to_string(processors * 4) + ")"};
  }
  return times.size();
}

}  // namespace kovra
