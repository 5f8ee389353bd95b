#pragma once
// The moving average of the last few network rate samples (three in the program).

#include <cstddef>
#include <optional>

#include "core/records.h"
#include "logic/ring_buffer.h"

namespace kovra {

struct MantikRateSmoother {
  explicit MantikRateSmoother(size_t capacity = 3) : samples(capacity, NetworkRates{}) {}

  MantikRingBuffer<NetworkRates> samples;

  // The mean of the valid samples; none when there are none.
  std::optional<NetworkRates> average() const;
  void clear() { samples.clear(); }
};

}  // namespace kovra
