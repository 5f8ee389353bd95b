#include "samplers/system/memory_sampler.h"

#include <limits>
#include <utility>

#include "core/log.h"

namespace kovra {

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

// Logs a problem once when it starts or changes, and the recovery once.
void noteIssue(std::optional<std::string>& stored, const std::optional<std::string>& issue, const char* failing,
               const char* recovered) {
  if (issue) {
    if (stored == issue) return;
    Log::sampler.error(std::string(failing) + *issue);
    stored = issue;
  } else if (stored) {
    Log::sampler.info(recovered);
    stored.reset();
  }
}

}  // namespace

MemorySampler::MemorySampler() : MemorySampler(makeMemoryPlatform()) {}

MemorySampler::MemorySampler(std::unique_ptr<MemoryPlatform> platform) : platform_(std::move(platform)) {}

Result<uint64_t, SamplerError> MemorySampler::readPageSize() {
  if (pageSize_ != 0) return pageSize_;
  auto read = platform_->pageSize();
  if (!read.ok()) return unreadable(read.error());
  if (read.value() == 0) return unreadable(platform_->names().pageSize + ": sayfa boyutu 0");
  pageSize_ = read.value();
  return pageSize_;
}

SampleResult<MemorySnapshot> MemorySampler::sample() {
  auto page = readPageSize();
  if (!page.ok()) return Failure{page.error()};
  const uint64_t p = page.value();

  if (totalBytes_ == 0) {
    const uint64_t physical = platform_->physicalMemory();
    if (physical == 0) return unreadable(platform_->names().physicalMemory + ": 0");
    totalBytes_ = physical;
  }

  auto stats = platform_->statistics();
  if (!stats.ok()) return unreadable(stats.error());
  const VMStatistics& v = stats.value();

  MemorySnapshot s;
  s.totalBytes = totalBytes_;
  s.appBytes = v.purgeablePages >= v.internalPages ? 0 : bytes(p, v.internalPages - v.purgeablePages);
  s.wiredBytes = bytes(p, v.wiredPages);
  s.compressedBytes = bytes(p, v.compressorPages);
  s.cachedBytes = bytes(p, saturatingAdd(v.externalPages, v.purgeablePages));
  s.pressure = readPressure();

  auto swap = platform_->swapUsage();
  if (swap.ok()) {
    noteSwap(std::nullopt);
    s.swap = swap.value();
  } else {
    noteSwap(swap.error());
  }
  return s;
}

std::optional<MemoryPressure> MemorySampler::readPressure() {
  auto level = platform_->pressureLevel();
  if (!level.ok()) {
    notePressure(level.error());
    return std::nullopt;
  }
  auto pressure = memoryPressureFromRaw(level.value());
  if (!pressure) {
    notePressure(platform_->names().pressure + ": beklenmeyen değer " + std::to_string(level.value()));
    return std::nullopt;
  }
  notePressure(std::nullopt);
  return pressure;
}

void MemorySampler::notePressure(const std::optional<std::string>& issue) {
  noteIssue(pressureIssue_, issue, "Bellek baskısı okunamadı: ", "Bellek baskısı yeniden okunabiliyor");
}

void MemorySampler::noteSwap(const std::optional<std::string>& issue) {
  noteIssue(swapIssue_, issue, "Swap okunamadı: ", "Swap yeniden okunabiliyor");
}

}  // namespace kovra
