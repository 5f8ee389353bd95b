// Feeds arbitrary bytes to the pressure-stall parser and the pressure level that follows from it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/memory_pressure.h"
#include "platform/linux/psi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto p = kovra::linuxfs::parsePsi(text);
  if (p) {
    for (double v : {p->someAvg10, p->fullAvg10})
      if (!std::isfinite(v) || v < 0 || v > 100) std::abort();
  }
  kovra::linuxfs::MemoryPressureTracker tracker;
  kovra::linuxfs::PressureInputs in;
  in.psi = p;
  in.memTotal = size;
  in.memAvailable = size > 0 ? data[0] : 0;
  in.swapTotal = size > 1 ? data[1] : 0;
  in.swapFree = size > 2 ? data[2] : 0;
  const int32_t level = tracker.update(in, 0);
  if (level != 1 && level != 2 && level != 4) std::abort();
  return 0;
}
