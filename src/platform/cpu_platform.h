#pragma once
// Where the processor sampler gets the processors' cumulative times from.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/result.h"

namespace kovra {

// One processor's time since boot, in the kernel's clock ticks, per state. The counters only grow
// (iowait alone may step back on some kernels; idle + iowait does not).
struct ProcessorTimes {
  uint64_t user = 0;
  uint64_t nice = 0;
  uint64_t system = 0;
  uint64_t idle = 0;
  uint64_t iowait = 0;
  uint64_t irq = 0;
  uint64_t softirq = 0;
  uint64_t steal = 0;  // time a hypervisor ran something else
  bool operator==(const ProcessorTimes&) const = default;
};

class CPUPlatform {
 public:
  virtual ~CPUPlatform() = default;
  // Replaces `times` with one entry per online processor (at least one) and returns their count.
  // The vector is reused between calls. On failure, the text names the source and the fault.
  virtual Result<size_t, std::string> readProcessorTimes(std::vector<ProcessorTimes>& times) = 0;
};

// The platform's own counters.
std::unique_ptr<CPUPlatform> makeCPUPlatform();

}  // namespace kovra
