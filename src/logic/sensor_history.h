#pragma once
// The last hour of each part's temperature, one ring per part. Parts come and go (a drive
// plugged in, a card that sleeps), so rings are found by the part's key; a machine with more
// parts than kMaxParts keeps the history of the first ones only.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/records.h"
#include "core/sensor_records.h"
#include "logic/ring_buffer.h"

namespace kovra {

class MantikSensorHistory {
 public:
  static constexpr size_t kMaxParts = 16;
  // Sensors are read every 2 s while shown.
  static constexpr double kSpacing = 2;

  explicit MantikSensorHistory(double duration);

  // One point per part with a plausible figure.
  void append(const SensorsSnapshot& sensors, Date at);
  // The newest run of points of the part called `key` at or after `since`, oldest first.
  std::vector<HistoryPoint> points(std::string_view key, Date since) const;

 private:
  size_t capacity_;
  std::vector<std::pair<std::string, MantikRingBuffer<HistoryPoint>>> rings_;
};

}  // namespace kovra
