#include "logic/cpu_high_tracker.h"

#include <cmath>

namespace kovra {

void MantikCPUHighTracker::observe(double usage, double at) {
  const std::optional<double> previous = lastSample;
  lastSample = at;
  if (!std::isfinite(usage) || usage <= threshold) {
    highSince.reset();
    return;
  }
  // A new stretch starts with the first high reading, or after a gap longer than maxGap.
  if (!highSince || (previous && at - *previous > maxGap)) highSince = at;
}

void MantikCPUHighTracker::reset(double at) {
  lastSample = at;
  highSince.reset();
}

bool MantikCPUHighTracker::isSustained(double at) const {
  return highSince && lastSample && at - *highSince >= duration && at - *lastSample <= maxGap;
}

}  // namespace kovra
