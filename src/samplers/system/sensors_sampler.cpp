#include "samplers/system/sensors_sampler.h"

#include <algorithm>

namespace kovra {

namespace {

bool oneOfAKind(SensorPart part) { return part != SensorPart::drive && part != SensorPart::graphics; }

std::optional<std::string> nonEmpty(const std::string& s) {
  return s.empty() ? std::nullopt : std::optional<std::string>(s);
}

}  // namespace

double defaultLimitCelsius(SensorPart part) {
  switch (part) {
    case SensorPart::processor: return 95;
    case SensorPart::graphics: return 95;
    case SensorPart::drive: return 70;
    case SensorPart::battery: return 60;
    case SensorPart::other: return 90;
  }
  return 90;
}

SensorsSnapshot groupSensors(const std::vector<SensorChannel>& channels) {
  SensorsSnapshot s;
  auto partFor = [&](const SensorChannel& c) -> SensorPartReading& {
    const std::optional<std::string> device = oneOfAKind(c.part) ? std::nullopt : nonEmpty(c.device);
    for (auto& p : s.parts) {
      if (p.part == c.part && p.device == device) return p;
    }
    SensorPartReading& p = s.parts.emplace_back();
    p.part = c.part;
    p.device = device;
    p.limitCelsius = defaultLimitCelsius(c.part);
    return p;
  };

  for (const auto& c : channels) {
    const bool ok = c.state == SensorState::ok;
    s.sensors.push_back({c.chip + " " + c.label, c.part, c.fan, ok ? std::optional<double>(c.value) : std::nullopt});
    if (c.fan) {
      s.fans.push_back({c.part, oneOfAKind(c.part) ? std::nullopt : nonEmpty(c.device), c.label,
                        ok ? std::optional<double>(c.value) : std::nullopt});
      continue;
    }
    SensorPartReading& p = partFor(c);
    if (!p.model && !c.model.empty()) p.model = c.model;
    if (c.state == SensorState::asleep) p.asleep = true;
    if (!c.relevant || !ok) continue;
    if (!p.celsius || c.value > *p.celsius) {
      p.celsius = c.value;
      p.limitCelsius = c.crit.value_or(c.max.value_or(defaultLimitCelsius(c.part)));
      p.sensor = s.sensors.back().name;
    }
  }
  // A part that gave a figure was not wholly asleep.
  for (auto& p : s.parts) {
    if (p.celsius) p.asleep = false;
  }
  auto order = [](const auto& a, const auto& b) {
    if (a.part != b.part) return a.part < b.part;
    return a.device.value_or("") < b.device.value_or("");
  };
  std::stable_sort(s.parts.begin(), s.parts.end(), order);
  std::stable_sort(s.fans.begin(), s.fans.end(), order);
  return s;
}

SensorsSampler::SensorsSampler() : SensorsSampler(makeSensorsPlatform()) {}

SensorsSampler::SensorsSampler(std::unique_ptr<SensorsPlatform> platform) : platform_(std::move(platform)) {}

SampleResult<std::optional<SensorsSnapshot>> SensorsSampler::sample() {
  platform_->read(channels_);
  if (channels_.empty()) return std::optional<SensorsSnapshot>{};
  return std::optional<SensorsSnapshot>(groupSensors(channels_));
}

}  // namespace kovra
