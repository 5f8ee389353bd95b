#include "platform/macos/vm_statistics.h"

#include <limits>

namespace kovra::macos {

namespace {

uint64_t bytes(uint64_t pageSize, uint64_t pages) {
  uint64_t out = 0;
  if (__builtin_mul_overflow(pageSize, pages, &out)) return std::numeric_limits<uint64_t>::max();
  return out;
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) {
  uint64_t out = 0;
  if (__builtin_add_overflow(a, b, &out)) return std::numeric_limits<uint64_t>::max();
  return out;
}

}  // namespace

Result<MemoryFigures, std::string> memoryFiguresFromPages(const VMStatistics& v, uint64_t pageSize,
                                                          uint64_t physicalBytes, const std::string& pageSizeCall,
                                                          const std::string& memorySizeCall) {
  if (pageSize == 0) return Failure{pageSizeCall + ": sayfa boyutu 0"};
  if (physicalBytes == 0) return Failure{memorySizeCall + ": 0"};
  MemoryFigures f;
  f.totalBytes = physicalBytes;
  f.appBytes = v.purgeablePages >= v.internalPages ? 0 : bytes(pageSize, v.internalPages - v.purgeablePages);
  f.wiredBytes = bytes(pageSize, v.wiredPages);
  f.compressedBytes = bytes(pageSize, v.compressorPages);
  f.cachedBytes = bytes(pageSize, saturatingAdd(v.externalPages, v.purgeablePages));
  return f;
}

Result<MemoryPressure, std::string> pressureFromLevel(int64_t raw, const std::string& source) {
  auto pressure = memoryPressureFromRaw(raw);
  if (!pressure) return Failure{source + ": beklenmeyen değer " + std::to_string(raw)};
  return *pressure;
}

}  // namespace kovra::macos
