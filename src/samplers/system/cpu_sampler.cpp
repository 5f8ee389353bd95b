#include "samplers/system/cpu_sampler.h"

#include <array>
#include <string>
#include <utility>

namespace kovra {

CPUSampler::CPUSampler() : CPUSampler(makeCPUPlatform()) {}

CPUSampler::CPUSampler(std::unique_ptr<CPUPlatform> platform) : platform_(std::move(platform)) {}

Result<int64_t, SamplerError> CPUSampler::readTicks() {
  auto read = platform_->readProcessorTicks(ticks_);
  if (!read.ok()) return unreadable(read.error());
  const uint64_t processors = read.value();
  const uint64_t needed = processors * 4;
  const uint64_t count = ticks_.size();
  if (processors == 0 || count < needed) {
    return unreadable(std::string(platform_->tickSourceName()) + ": " + std::to_string(processors) + " işlemci, " +
                      std::to_string(count) + " değer (beklenen en az " + std::to_string(needed) + ")");
  }
  ticks_.resize(needed);  // values past the processors' own are ignored
  return static_cast<int64_t>(processors);
}

SampleResult<CPUSnapshot> CPUSampler::sample() {
  auto read = readTicks();
  if (!read.ok()) return Failure{read.error()};
  const int64_t coreCount = read.value();

  // The new reading becomes the baseline whatever follows; `ticks_` keeps the old one for now.
  std::swap(previousTicks_, ticks_);
  const int64_t oldCoreCount = std::exchange(previousCoreCount_, coreCount);
  const std::vector<uint32_t>& now = previousTicks_;
  const std::vector<uint32_t>& before = ticks_;
  if (coreCount != oldCoreCount || before.size() != now.size() || before.empty()) return notReady();

  // user, system, idle, nice; each step is a wrapping 32-bit difference, so a counter that
  // wrapped once still yields its true increase.
  std::array<uint64_t, 4> sums{};
  for (size_t i = 0; i < now.size(); ++i) {
    const uint32_t delta = now[i] - before[i];
    sums[i % 4] += delta;
  }
  const uint64_t user = sums[0], system = sums[1], idle = sums[2], nice = sums[3];
  const uint64_t total = user + system + idle + nice;
  if (total == 0) return notReady();

  const double t = static_cast<double>(total);
  CPUSnapshot s;
  s.usage = static_cast<double>(user + system + nice) / t;
  s.userFraction = static_cast<double>(user + nice) / t;
  s.systemFraction = static_cast<double>(system) / t;
  s.coreCount = coreCount;
  return s;
}

}  // namespace kovra
