#include "logic/sensor_history.h"

#include <cmath>

#include "logic/sensors_rules.h"

namespace kovra {

namespace {
const HistoryPoint kFiller{Date(Date::duration::min() / 2), 0};
}  // namespace

MantikSensorHistory::MantikSensorHistory(double duration)
    : capacity_(duration > 0 && duration < 1e7 ? static_cast<size_t>(std::ceil(duration / kSpacing * 1.1)) + 1 : 1) {}

void MantikSensorHistory::append(const SensorsSnapshot& sensors, Date at) {
  for (const auto& part : sensors.parts) {
    if (!part.celsius || !std::isfinite(*part.celsius)) continue;
    const std::string key = MantikSensorTexts::partKey(part);
    auto it = rings_.begin();
    while (it != rings_.end() && it->first != key) ++it;
    if (it == rings_.end()) {
      if (rings_.size() >= kMaxParts) continue;
      rings_.emplace_back(key, MantikRingBuffer<HistoryPoint>(capacity_, kFiller));
      it = rings_.end() - 1;
    }
    it->second.append(HistoryPoint{at, *part.celsius});
  }
}

std::vector<HistoryPoint> MantikSensorHistory::points(std::string_view key, Date since) const {
  std::vector<HistoryPoint> out;
  for (const auto& [name, ring] : rings_) {
    if (name != key) continue;
    size_t k = 0;
    while (k < ring.count() && ring.fromNewest(k).time >= since) ++k;
    out.reserve(k);
    for (size_t i = k; i-- > 0;) out.push_back(ring.fromNewest(i));
  }
  return out;
}

}  // namespace kovra
