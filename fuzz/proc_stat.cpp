// Feeds arbitrary bytes to the /proc/stat processor-line parser and checks its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/linux/cpu_ticks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<kovra::ProcessorTimes> times;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint32_t processors = kovra::linuxfs::parseCpuTimes(text, times);
  // Never more than one entry per processor line.
  if (times.size() > processors) std::abort();
  return 0;
}
