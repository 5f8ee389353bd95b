#pragma once
// Processor load from the kernel's cumulative per-processor tick counters: the busy share since
// the previous reading, split into user and system time.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/contracts.h"
#include "platform/cpu_platform.h"

namespace kovra {

class CPUSampler : public CPUSampling {
 public:
  CPUSampler();
  explicit CPUSampler(std::unique_ptr<CPUPlatform> platform);

  // notReady until a baseline exists, after a change in the processor count and when no tick
  // elapsed; unreadable when the counters cannot be read (the baseline then stays as it was).
  SampleResult<CPUSnapshot> sample() override;

 private:
  // Reads the counters into `ticks_`; on success `ticks_` holds exactly 4 values per processor.
  Result<int64_t, SamplerError> readTicks();

  std::unique_ptr<CPUPlatform> platform_;
  std::vector<uint32_t> ticks_;  // scratch for the newest reading, reused
  std::vector<uint32_t> previousTicks_;
  int64_t previousCoreCount_ = 0;
};

}  // namespace kovra
