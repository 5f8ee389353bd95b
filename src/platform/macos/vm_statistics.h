#pragma once
// The macOS side of the memory figures: the virtual-memory page counters (host statistics) and
// the memory-pressure level as that system reports them, turned into the shared records.

#include <cstdint>
#include <string>

#include "core/records.h"
#include "core/result.h"
#include "platform/memory_platform.h"

namespace kovra::macos {

// Page counts of one reading. Application memory is internal − purgeable, cached memory is
// external + purgeable.
struct VMStatistics {
  uint64_t internalPages = 0;
  uint64_t purgeablePages = 0;
  uint64_t externalPages = 0;
  uint64_t wiredPages = 0;
  uint64_t compressorPages = 0;
  bool operator==(const VMStatistics&) const = default;
};

// The figures in bytes (products saturate). Fails when the page size or the memory size is 0;
// the texts name `pageSizeCall` and `memorySizeCall`.
Result<MemoryFigures, std::string> memoryFiguresFromPages(const VMStatistics& v, uint64_t pageSize,
                                                          uint64_t physicalBytes, const std::string& pageSizeCall,
                                                          const std::string& memorySizeCall);

// The pressure source's raw level: 1 normal, 2 warning, 4 critical; anything else fails naming
// `source`.
Result<MemoryPressure, std::string> pressureFromLevel(int64_t raw, const std::string& source);

}  // namespace kovra::macos
