// Feeds arbitrary bytes to the /proc/stat processor-line parser and checks its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/linux/cpu_ticks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint32_t> values;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint32_t processors = kovra::linuxfs::parseCpuTicks(text, values);
  // Never more than four values per processor line, always whole groups of four.
  if (values.size() % 4 != 0 || values.size() > size_t{processors} * 4) std::abort();
  return 0;
}
