#pragma once
// One ring of history points per series, sized for the requested duration, answering which
// points lie in a recent time window.

#include <array>
#include <cstddef>
#include <vector>

#include "core/records.h"
#include "logic/ring_buffer.h"

namespace kovra {

class MantikHistoryBuffers {
 public:
  // Series in ring order; a series' ring is found by its ordinal.
  static constexpr std::array<SeriesKind, 4> order{SeriesKind::memoryUsed, SeriesKind::cpuUsage,
                                                   SeriesKind::networkDownload, SeriesKind::networkUpload};

  // Rings for `duration` seconds of history (memory sampled every 2 s, the others every 1 s,
  // with 10 % headroom). 3600 gives 1982 slots for memory and 3962 for each other series.
  explicit MantikHistoryBuffers(double duration);

  // Stores one point; a non-finite value is dropped and false returned.
  bool append(SeriesKind series, double value, Date at);

  // The newest run of points whose time is at or after `since`, oldest first. The walk stops at
  // the first point older than `since` (a point behind it is not looked at).
  std::vector<HistoryPoint> points(SeriesKind series, Date since) const;

  const MantikRingBuffer<HistoryPoint>& ring(SeriesKind series) const;

  // Slots for one series: ceiling(duration ÷ spacing × 1.1) + 1, at least 1.
  static size_t capacityFor(SeriesKind series, double duration);

 private:
  std::vector<MantikRingBuffer<HistoryPoint>> rings_;
};

}  // namespace kovra
