#include "samplers/system/memory_sampler.h"

#include <utility>

#include "core/log.h"

namespace kovra {

namespace {

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

// The value of a secondary reading, its problem noted either way.
template <class T>
std::optional<T> secondary(Result<T, std::string> read, std::optional<std::string>& stored, const char* failing,
                           const char* recovered) {
  if (!read.ok()) {
    noteIssue(stored, read.error(), failing, recovered);
    return std::nullopt;
  }
  noteIssue(stored, std::nullopt, failing, recovered);
  return read.value();
}

}  // namespace

MemorySampler::MemorySampler() : MemorySampler(makeMemoryPlatform()) {}

MemorySampler::MemorySampler(std::unique_ptr<MemoryPlatform> platform) : platform_(std::move(platform)) {}

SampleResult<MemorySnapshot> MemorySampler::sample() {
  auto figures = platform_->figures();
  if (!figures.ok()) return unreadable(figures.error());
  const MemoryFigures& f = figures.value();

  MemorySnapshot s;
  s.totalBytes = f.totalBytes;
  s.appBytes = f.appBytes;
  s.wiredBytes = f.wiredBytes;
  s.compressedBytes = f.compressedBytes;
  s.cachedBytes = f.cachedBytes;
  s.pressure = secondary(platform_->pressure(), pressureIssue_, "Bellek baskısı okunamadı: ",
                         "Bellek baskısı yeniden okunabiliyor");
  s.swap = secondary(platform_->swapUsage(), swapIssue_, "Swap okunamadı: ", "Swap yeniden okunabiliyor");
  return s;
}

}  // namespace kovra
