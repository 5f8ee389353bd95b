#include "logic/rate_smoother.h"

namespace kovra {

std::optional<NetworkRates> MantikRateSmoother::average() const {
  const size_t n = samples.count();
  if (n == 0) return std::nullopt;
  double down = 0;
  double up = 0;
  for (size_t i = 0; i < n; ++i) {
    down += samples.fromNewest(i).downloadBytesPerSecond;
    up += samples.fromNewest(i).uploadBytesPerSecond;
  }
  return NetworkRates{down / static_cast<double>(n), up / static_cast<double>(n)};
}

}  // namespace kovra
