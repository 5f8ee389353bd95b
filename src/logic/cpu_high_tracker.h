#pragma once
// Says whether the processor has been busy for a sustained stretch. Times are uptime seconds.

#include <optional>

namespace kovra {

struct MantikCPUHighTracker {
  double threshold = 0.8;  // a usage strictly above this is high
  double duration = 30;    // seconds of high usage that count as sustained
  double maxGap = 5;       // a longer gap breaks a stretch; an older reading is stale
  std::optional<double> highSince;
  std::optional<double> lastSample;

  // One successful reading.
  void observe(double usage, double at);
  // A failed reading.
  void reset(double at);
  bool isSustained(double at) const;
};

}  // namespace kovra
