#pragma once
// Per-process network traffic: runs the traffic tool once per call, and turns the difference of
// its cumulative byte counters to the previous run into rates and into totals counted since the
// sampler's first run.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/contracts.h"
#include "samplers/network/process_network_parser.h"

namespace kovra {

// Counter state of one pid.
struct NettopTracked {
  std::string name;
  uint64_t lastIn = 0;    // the tool's counters at the last run that listed the process
  uint64_t lastOut = 0;
  uint64_t totalIn = 0;   // bytes counted since the baseline
  uint64_t totalOut = 0;
  double rateIn = 0;      // bytes per second over the last interval
  double rateOut = 0;
  uint64_t lastSeen = 0;  // monotonic ns at which the last run that listed the process read its counters
  bool presentInPrevious = false;
  // The last run could not say whether the process was there (it stopped early, or listed the
  // pid more than once): the counters are still those read at `lastSeen`.
  bool heldOver = false;
  bool operator==(const NettopTracked&) const = default;
};

// Monotonic nanoseconds; 0 means the clock could not be read.
using MonotonicClock = std::function<uint64_t()>;
// One run of the tool: its standard output, or the failure.
using NettopRun = std::function<Result<std::string, SamplerError>()>;

// CLOCK_MONOTONIC_RAW in nanoseconds, 0 on failure.
uint64_t monotonicRawNanoseconds();

class ProcessNetworkSampler final : public ProcessNetworkSampling {
 public:
  // The live sampler: runs "kovra-nettop" from the folder of the running program.
  ProcessNetworkSampler();
  // Runs `executable` with the tool's command line.
  ProcessNetworkSampler(std::string executable, MonotonicClock clock);
  // Takes its output from `run` instead of starting a program (tests).
  ProcessNetworkSampler(NettopRun run, MonotonicClock clock);
  ProcessNetworkSampler(const ProcessNetworkSampler&) = delete;
  ProcessNetworkSampler& operator=(const ProcessNetworkSampler&) = delete;

  SampleResult<ProcessNetworkSnapshot> sample() override;

  Result<std::string, SamplerError> runNettop();
  // `now`: when the run read its counters.
  void update(const std::map<int32_t, NettopRow>& rows, uint64_t now, std::optional<double> elapsedSeconds);
  // The same, for a run that may not have seen every process: the pids it could not vouch for
  // (all unlisted ones when it was partial) keep their counters for the next run to measure from.
  void update(const NettopParse& parse, uint64_t now, std::optional<double> elapsedSeconds);

  // The tool's arguments, in order.
  static const std::vector<std::string>& arguments();
  // The tool beside the running program; empty when that folder cannot be found.
  static std::string defaultExecutable();

  const std::string& executable() const { return executable_; }
  const std::map<int32_t, NettopTracked>& tracked() const { return tracked_; }

 private:
  ProcessNetworkSnapshot snapshot() const;

  std::map<int32_t, NettopTracked> tracked_;
  uint64_t previousTime_ = 0;       // when the previous run ended
  uint64_t previousReadTime_ = 0;   // when it read its counters (it was started)
  bool hasBaseline_ = false;
  std::optional<ProcessNetworkSnapshot> lastResult_;
  bool hasLoggedSkippedLines_ = false;

  std::string executable_;
  NettopRun run_;
  MonotonicClock clock_;
};

}  // namespace kovra
