#pragma once
// Memory pressure levels (1 normal, 2 warning, 4 critical) from the kernel's pressure-stall
// averages and the share of available memory, with hysteresis so the level does not flicker.
//
// With pressure-stall figures:
//   critical when full ≥ 10 %, or some ≥ 40 %, or available ≤ 5 % while swap is absent or ≥ 90 % used;
//   warning when some ≥ 10 % on two readings in a row, or full ≥ 2 %, or available ≤ 10 %.
//   Stall figures count only while available memory is below 50 % (a stall with plenty of free
//   memory is not memory pressure this program can explain).
// Without them (a kernel built or booted without pressure-stall information):
//   critical when available ≤ 10 %, warning when available ≤ 20 %.
// The level rises at once but falls one step at a time: critical → warning after 10 s in which
// every figure stayed below the critical exit marks, warning → normal after 30 s below the warning
// exit marks. Exit marks with stall figures: critical full < 5 %, some < 20 %, available > 8 %;
// warning some < 5 %, full < 1 %, available > 15 %. Without them: available > 15 % and > 25 %.

#include <cstdint>
#include <optional>

#include "platform/linux/psi.h"

namespace kovra::linuxfs {

struct PressureInputs {
  std::optional<PsiAverages> psi;  // absent: the kernel has no pressure-stall information
  uint64_t memTotal = 0;
  uint64_t memAvailable = 0;
  uint64_t swapTotal = 0;
  uint64_t swapFree = 0;
};

class MemoryPressureTracker {
 public:
  // Feeds one reading taken at `now` (monotonic seconds) and returns the level.
  int32_t update(const PressureInputs& in, double now);
  int32_t level() const { return level_; }

  static constexpr double kCriticalDwell = 10;
  static constexpr double kWarningDwell = 30;

 private:
  int32_t level_ = 1;
  int someHighStreak_ = 0;
  std::optional<double> calmSince_;  // since when the figures stayed below the current level's exit marks
};

}  // namespace kovra::linuxfs
