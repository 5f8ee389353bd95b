#pragma once
// Physical memory divided into app, wired, compressed and cached memory, plus the pressure level
// and swap usage. Pressure and swap are secondary: when they cannot be read the reading still
// succeeds without them, and the problem is logged once until it goes away.

#include <cstdint>
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

  // Never notReady; unreadable when the page size, the memory size or the counters fail.
  SampleResult<MemorySnapshot> sample() override;

 private:
  Result<uint64_t, SamplerError> readPageSize();
  std::optional<MemoryPressure> readPressure();
  void notePressure(const std::optional<std::string>& issue);
  void noteSwap(const std::optional<std::string>& issue);

  std::unique_ptr<MemoryPlatform> platform_;
  uint64_t pageSize_ = 0;    // read once
  uint64_t totalBytes_ = 0;  // read once
  std::optional<std::string> pressureIssue_;
  std::optional<std::string> swapIssue_;
};

}  // namespace kovra
