#pragma once
// Where the processor sampler gets its tick counters from.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace kovra {

class CPUPlatform {
 public:
  virtual ~CPUPlatform() = default;

  // Fills `values` with the cumulative tick counters, four per processor in the order user,
  // system, idle, nice, each wrapping at 2^32, and returns the processor count. The count of
  // values may disagree with the processor count when the source is malformed; the caller checks.
  // The vector is reused between calls. On failure, the text names the failing call.
  virtual Result<uint32_t, std::string> readProcessorTicks(std::vector<uint32_t>& values) = 0;

  // Names the tick source in failure texts ("/proc/stat" on Linux).
  virtual std::string_view tickSourceName() const = 0;
};

// The platform's own counters.
std::unique_ptr<CPUPlatform> makeCPUPlatform();

}  // namespace kovra
