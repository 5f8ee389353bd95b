#include "logic/history_buffers.h"

#include <cmath>

namespace kovra {

namespace {

constexpr size_t ordinal(SeriesKind s) { return static_cast<size_t>(s); }

// Far enough back that no window reaches it; filler slots are never read anyway.
const HistoryPoint kFiller{Date(Date::duration::min() / 2), 0};

// More slots than any sensible history needs; guards the conversion below.
constexpr double kMaxSlots = 1e8;

}  // namespace

size_t MantikHistoryBuffers::capacityFor(SeriesKind series, double duration) {
  const double spacing = series == SeriesKind::memoryUsed ? 2.0 : 1.0;
  // Divide, then scale by 1.1, then round up, in double precision: 3600 s gives 1981 + 1 slots
  // for memory and 3961 + 1 for the rest, where exact arithmetic would give one fewer.
  const double n = std::ceil(duration / spacing * 1.1);
  if (!(n > 0)) return 1;  // zero, negative or NaN duration
  if (n >= kMaxSlots) return static_cast<size_t>(kMaxSlots) + 1;
  return static_cast<size_t>(n) + 1;
}

MantikHistoryBuffers::MantikHistoryBuffers(double duration) {
  rings_.reserve(order.size());
  for (SeriesKind s : order) rings_.emplace_back(capacityFor(s, duration), kFiller);
}

bool MantikHistoryBuffers::append(SeriesKind series, double value, Date at) {
  if (!std::isfinite(value)) return false;
  rings_[ordinal(series)].append(HistoryPoint{at, value});
  return true;
}

std::vector<HistoryPoint> MantikHistoryBuffers::points(SeriesKind series, Date since) const {
  const auto& ring = rings_[ordinal(series)];
  size_t k = 0;
  while (k < ring.count() && ring.fromNewest(k).time >= since) ++k;
  std::vector<HistoryPoint> out;
  if (k == 0) return out;
  out.reserve(k);
  for (size_t i = k; i-- > 0;) out.push_back(ring.fromNewest(i));
  return out;
}

const MantikRingBuffer<HistoryPoint>& MantikHistoryBuffers::ring(SeriesKind series) const {
  return rings_[ordinal(series)];
}

}  // namespace kovra
