#pragma once
// Where the memory sampler gets its figures, pressure level and swap usage from.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/records.h"
#include "core/result.h"

namespace kovra {

// Physical memory of one reading, in bytes, split the way the memory card shows it.
struct MemoryFigures {
  uint64_t totalBytes = 0;
  uint64_t appBytes = 0;         // what programs hold: anonymous and shared memory
  uint64_t wiredBytes = 0;       // what the kernel keeps for itself and cannot hand back
  uint64_t compressedBytes = 0;  // compressed pages (zswap pool, zram devices)
  uint64_t cachedBytes = 0;      // file cache and memory the kernel can drop at once
  bool operator==(const MemoryFigures&) const = default;
};

class MemoryPlatform {
 public:
  virtual ~MemoryPlatform() = default;
  // The figures of this reading. Called before pressure() and swapUsage() in every reading; fails
  // naming the file or line that could not be read (a total of 0 is a failure too).
  virtual Result<MemoryFigures, std::string> figures() = 0;
  virtual Result<MemoryPressure, std::string> pressure() = 0;
  virtual Result<SwapUsage, std::string> swapUsage() = 0;
};

// Seconds of a clock that never goes back; tests pass a fake one.
using UptimeClock = std::function<double()>;
UptimeClock systemUptimeClock();

std::unique_ptr<MemoryPlatform> makeMemoryPlatform();

}  // namespace kovra
