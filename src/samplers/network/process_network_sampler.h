#pragma once
// Per-process network traffic: reads every process's cumulative connection byte counters once per
// call, and turns the difference to the previous reading into rates and into totals counted since
// the sampler's first reading.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "core/contracts.h"
#include "platform/process_traffic.h"

namespace kovra {

// Counter state of one pid.
struct TrafficTracked {
  std::string name;
  uint64_t lastIn = 0;    // the counters at the last reading that listed the process
  uint64_t lastOut = 0;
  uint64_t totalIn = 0;   // bytes counted since the baseline
  uint64_t totalOut = 0;
  double rateIn = 0;      // bytes per second over the last interval
  double rateOut = 0;
  uint64_t lastSeen = 0;  // monotonic ns at which the last reading that listed the process was taken
  bool presentInPrevious = false;
  // The last reading could not say whether the process was there (it stopped early, or listed the
  // pid more than once): the counters are still those read at `lastSeen`.
  bool heldOver = false;
  bool operator==(const TrafficTracked&) const = default;
};

// Monotonic nanoseconds; 0 means the clock could not be read.
using MonotonicClock = std::function<uint64_t()>;
// One reading of the counters, or the failure naming the call.
using TrafficRead = std::function<Result<TrafficReading, std::string>()>;

// CLOCK_MONOTONIC_RAW in nanoseconds, 0 on failure.
uint64_t monotonicRawNanoseconds();

class ProcessNetworkSampler final : public ProcessNetworkSampling {
 public:
  // The live sampler: the platform's reading, in this process.
  ProcessNetworkSampler();
  ProcessNetworkSampler(TrafficRead read, MonotonicClock clock);
  ProcessNetworkSampler(const ProcessNetworkSampler&) = delete;
  ProcessNetworkSampler& operator=(const ProcessNetworkSampler&) = delete;

  SampleResult<ProcessNetworkSnapshot> sample() override;

  // `now`: when the reading was taken. A pid listed more than once is believed in none of its
  // lines; it and, in a partial reading, every unlisted pid keep their counters for the next
  // reading to measure from.
  void update(const TrafficReading& reading, uint64_t now, std::optional<double> elapsedSeconds);

  const std::map<int32_t, TrafficTracked>& tracked() const { return tracked_; }

 private:
  ProcessNetworkSnapshot snapshot() const;

  std::map<int32_t, TrafficTracked> tracked_;
  uint64_t previousTime_ = 0;       // when the previous reading ended
  uint64_t previousReadTime_ = 0;   // when it was taken (it started)
  bool hasBaseline_ = false;
  std::optional<ProcessNetworkSnapshot> lastResult_;

  TrafficRead read_;
  MonotonicClock clock_;
};

}  // namespace kovra
