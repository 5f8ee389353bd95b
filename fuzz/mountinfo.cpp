// Feeds arbitrary bytes to the mountinfo reader and the by-label name decoder.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/linux_disk_volume.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)kovra::linuxfs::findMount(text, "254:0", "/home/user");
  (void)kovra::linuxfs::decodeLabel(text);
  return 0;
}
