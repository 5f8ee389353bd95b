#pragma once
// The macOS side of the processor times: the host's per-processor load counters come as four
// 32-bit tick counts per processor (user, system, idle, nice) that wrap at 2^32. This keeps
// running 64-bit times from them, adding each reading's wrapping step, so the shared sampler sees
// counters that only grow.

#include <cstdint>
#include <span>
#include <vector>

#include "core/result.h"
#include "platform/cpu_platform.h"

namespace kovra::macos {

class WrappingTicks {
 public:
  // Takes one reading of `processors` processors. Fails, keeping the running times as they were,
  // when there are no processors or fewer than four values each (values past those are ignored).
  // A change in the processor count starts the running times again from the raw values.
  Result<size_t, std::string> update(uint32_t processors, std::span<const uint32_t> ticks,
                                     std::vector<ProcessorTimes>& times, std::string_view source);

 private:
  std::vector<uint32_t> last_;
  std::vector<ProcessorTimes> running_;
};

}  // namespace kovra::macos
