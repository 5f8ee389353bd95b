#include "samplers/system/cpu_sampler.h"

#include <utility>

namespace kovra {

namespace {

uint64_t step(uint64_t before, uint64_t now) { return now > before ? now - before : 0; }

}  // namespace

CPUSampler::CPUSampler() : CPUSampler(makeCPUPlatform()) {}

CPUSampler::CPUSampler(std::unique_ptr<CPUPlatform> platform) : platform_(std::move(platform)) {}

SampleResult<CPUSnapshot> CPUSampler::sample() {
  auto read = platform_->readProcessorTimes(times_);
  if (!read.ok()) return unreadable(read.error());

  // The new reading becomes the baseline whatever follows; `times_` keeps the old one for now.
  std::swap(previous_, times_);
  const std::vector<ProcessorTimes>& now = previous_;
  const std::vector<ProcessorTimes>& before = times_;
  if (before.size() != now.size() || now.empty()) return notReady();

  uint64_t user = 0, nice = 0, system = 0, idle = 0;
  for (size_t i = 0; i < now.size(); ++i) {
    const ProcessorTimes& a = before[i];
    const ProcessorTimes& b = now[i];
    user += step(a.user, b.user);
    nice += step(a.nice, b.nice);
    system += step(a.system + a.irq + a.softirq, b.system + b.irq + b.softirq);
    idle += step(a.idle + a.iowait + a.steal, b.idle + b.iowait + b.steal);
  }
  const uint64_t total = user + system + idle + nice;
  if (total == 0) return notReady();

  const double t = static_cast<double>(total);
  CPUSnapshot s;
  s.usage = static_cast<double>(user + system + nice) / t;
  s.userFraction = static_cast<double>(user + nice) / t;
  s.systemFraction = static_cast<double>(system) / t;
  s.coreCount = static_cast<int64_t>(now.size());
  return s;
}

}  // namespace kovra
