#pragma once
// Where the memory sampler gets its counters, pressure level and swap usage from.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/records.h"
#include "core/result.h"

namespace kovra {

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

// The names failure texts use for the platform's calls.
struct MemorySourceNames {
  std::string pageSize;        // e.g. "sysconf(_SC_PAGESIZE)"
  std::string physicalMemory;  // e.g. "sysconf(_SC_PHYS_PAGES)"
  std::string pressure;        // e.g. "/proc/pressure/memory"
};

class MemoryPlatform {
 public:
  virtual ~MemoryPlatform() = default;
  virtual const MemorySourceNames& names() const = 0;
  // The kernel's page size in bytes (0 is passed through; the caller rejects it).
  virtual Result<uint64_t, std::string> pageSize() = 0;
  // The physical memory size in bytes; 0 when unknown.
  virtual uint64_t physicalMemory() = 0;
  // The counters of this reading. Called before pressureLevel() and swapUsage() in every reading.
  virtual Result<VMStatistics, std::string> statistics() = 0;
  // The pressure level: 1 normal, 2 warning, 4 critical (anything else is passed through).
  virtual Result<int32_t, std::string> pressureLevel() = 0;
  virtual Result<SwapUsage, std::string> swapUsage() = 0;
};

// Seconds of a clock that never goes back; tests pass a fake one.
using UptimeClock = std::function<double()>;
UptimeClock systemUptimeClock();

std::unique_ptr<MemoryPlatform> makeMemoryPlatform();

}  // namespace kovra
