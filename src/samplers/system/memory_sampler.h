#pragma once
// Physical memory divided into app, wired, compressed and cached memory, plus the pressure level
// and swap usage. Pressure and swap are secondary: when they cannot be read the reading still
// succeeds without them, and the problem is logged once until it goes away.

#include <memory>
#include <optional>
#include <string>

#include "core/contracts.h"
#include "platform/memory_platform.h"

namespace kovra {

class MemorySampler : public MemorySampling {
 public:
  MemorySampler();
  explicit MemorySampler(std::unique_ptr<MemoryPlatform> platform);

  // Never notReady; unreadable when the figures cannot be read.
  SampleResult<MemorySnapshot> sample() override;

 private:
  std::unique_ptr<MemoryPlatform> platform_;
  std::optional<std::string> pressureIssue_;
  std::optional<std::string> swapIssue_;
};

}  // namespace kovra
