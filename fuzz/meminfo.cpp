// Feeds arbitrary bytes to the /proc/meminfo and zram mm_stat parsers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/meminfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto m = kovra::linuxfs::parseMeminfo(text);
  // Parsing the same bytes twice gives the same record.
  if (!(m == kovra::linuxfs::parseMeminfo(text))) std::abort();
  (void)kovra::linuxfs::parseZramMemUsed(text);
  return 0;
}
