#pragma once
// Parser for a pressure-stall file such as /proc/pressure/memory.

#include <optional>
#include <string_view>

namespace kovra::linuxfs {

struct PsiAverages {
  double someAvg10 = 0;  // percent of the last 10 s in which some task stalled on memory
  double fullAvg10 = 0;  // percent in which all non-idle tasks stalled
  bool operator==(const PsiAverages&) const = default;
};

// Lines look like "some avg10=0.00 avg60=0.00 avg300=0.00 total=0". The "some" line is required;
// a missing "full" line counts as 0. Values are clamped to 0 ... 100; anything that is not a
// finite number makes the whole text unusable.
std::optional<PsiAverages> parsePsi(std::string_view text);

}  // namespace kovra::linuxfs
