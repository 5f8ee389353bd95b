#pragma once
// Processor load from the kernel's cumulative per-processor times: the busy share since the
// previous reading, split into user and system time.

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

  // notReady until a baseline exists, after a change in the processor count and when no time
  // elapsed; unreadable when the times cannot be read (the baseline then stays as it was).
  // irq and softirq count as system time; iowait and steal as idle time (the processor was not
  // running this machine's work). A counter that stepped back adds nothing.
  SampleResult<CPUSnapshot> sample() override;

 private:
  std::unique_ptr<CPUPlatform> platform_;
  std::vector<ProcessorTimes> times_;  // scratch for the newest reading, reused
  std::vector<ProcessorTimes> previous_;
};

}  // namespace kovra
