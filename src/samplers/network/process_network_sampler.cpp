#include "samplers/network/process_network_sampler.h"

#include <time.h>
#include <unistd.h>

#include <array>

#include "core/log.h"
#include "samplers/network/process_network_runner.h"

namespace kovra {

namespace {

const std::string kClockFailed = "clock_gettime(CLOCK_MONOTONIC_RAW) başarısız";
constexpr uint64_t kReuseWindowNs = 199'999'999;       // calls this close share the last result
constexpr uint64_t kMaxIntervalNs = 10'000'000'000;    // a longer gap starts a new baseline
constexpr uint64_t kCarryOverNs = 300'000'000'000;     // how long a vanished pid keeps its totals

uint64_t saturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

}  // namespace

uint64_t monotonicRawNanoseconds() {
  timespec ts{};
  if (::clock_gettime(CLOCK_MONOTONIC_RAW, &ts) != 0) return 0;
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(ts.tv_nsec);
}

const std::vector<std::string>& ProcessNetworkSampler::arguments() {
  static const std::vector<std::string> args{"-P", "-L", "1", "-x", "-n", "-t", "external", "-J", "bytes_in,bytes_out"};
  return args;
}

std::string ProcessNetworkSampler::defaultExecutable() {
  std::array<char, 4096> buf{};
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  std::string self(buf.data(), static_cast<size_t>(n));
  size_t slash = self.rfind('/');
  if (slash == std::string::npos) return {};
  return self.substr(0, slash + 1) + "kovra-nettop";
}

ProcessNetworkSampler::ProcessNetworkSampler() : ProcessNetworkSampler(defaultExecutable(), monotonicRawNanoseconds) {}

ProcessNetworkSampler::ProcessNetworkSampler(std::string executable, MonotonicClock clock)
    : executable_(std::move(executable)), clock_(std::move(clock)) {
  run_ = [this] { return runNettopTool(executable_, arguments()); };
}

ProcessNetworkSampler::ProcessNetworkSampler(NettopRun run, MonotonicClock clock)
    : run_(std::move(run)), clock_(std::move(clock)) {}

Result<std::string, SamplerError> ProcessNetworkSampler::runNettop() { return run_(); }

SampleResult<ProcessNetworkSnapshot> ProcessNetworkSampler::sample() {
  const uint64_t t0 = clock_();
  if (t0 == 0) return unreadable(kClockFailed);
  if (hasBaseline_ && t0 >= previousTime_ && t0 - previousTime_ <= kReuseWindowNs) {
    if (lastResult_) return *lastResult_;
    return notReady();
  }

  // The tool reads the counters as soon as it starts: a run is stamped with its start, so the
  // time the tool then takes to match sockets to processes does not skew the rates.
  const uint64_t readAt = t0;
  auto data = runNettop();
  if (!data) return Failure{data.error()};
  const uint64_t t1 = clock_();
  if (t1 == 0) return unreadable(kClockFailed);
  auto parsed = parseNettopOutput(*data);
  if (!parsed) return Failure{parsed.error()};

  if (parsed->skippedLines >= 1 && !hasLoggedSkippedLines_) {
    hasLoggedSkippedLines_ = true;
    Log::sampler.log("nettop: " + std::to_string(parsed->skippedLines) + " satır ayrıştırılamadı, atlandı");
  }

  if (hasBaseline_ && readAt > previousReadTime_ && readAt - previousReadTime_ <= kMaxIntervalNs) {
    update(*parsed, readAt, static_cast<double>(readAt - previousReadTime_) / 1e9);
    previousTime_ = t1;
    previousReadTime_ = readAt;
    lastResult_ = snapshot();
    return *lastResult_;
  }
  update(*parsed, readAt, std::nullopt);
  previousTime_ = t1;
  previousReadTime_ = readAt;
  hasBaseline_ = true;
  lastResult_.reset();
  return notReady();
}

void ProcessNetworkSampler::update(const std::map<int32_t, NettopRow>& rows, uint64_t now,
                                   std::optional<double> elapsedSeconds) {
  NettopParse parse;
  parse.rows = rows;
  update(parse, now, elapsedSeconds);
}

void ProcessNetworkSampler::update(const NettopParse& parse, uint64_t now, std::optional<double> elapsedSeconds) {
  std::map<int32_t, NettopTracked> next;
  for (const auto& [pid, row] : parse.rows) {
    NettopTracked entry;
    uint64_t deltaIn = row.bytesIn, deltaOut = row.bytesOut;
    std::optional<double> interval = elapsedSeconds;
    auto old = tracked_.find(pid);
    if (old != tracked_.end() && old->second.name == row.name) {
      entry.totalIn = old->second.totalIn;
      entry.totalOut = old->second.totalOut;
      if (old->second.presentInPrevious) {
        // A counter that went down (the tool started counting anew) adds nothing.
        deltaIn = row.bytesIn > old->second.lastIn ? row.bytesIn - old->second.lastIn : 0;
        deltaOut = row.bytesOut > old->second.lastOut ? row.bytesOut - old->second.lastOut : 0;
        // Held over: the counters were read before the previous run, and the bytes since then
        // spread over the whole time.
        if (interval && old->second.heldOver && now > old->second.lastSeen) {
          interval = static_cast<double>(now - old->second.lastSeen) / 1e9;
        }
      }
    }
    if (interval) {
      entry.totalIn = saturatingAdd(entry.totalIn, deltaIn);
      entry.totalOut = saturatingAdd(entry.totalOut, deltaOut);
      entry.rateIn = static_cast<double>(deltaIn) / *interval;
      entry.rateOut = static_cast<double>(deltaOut) / *interval;
    }
    entry.name = row.name;
    entry.lastIn = row.bytesIn;
    entry.lastOut = row.bytesOut;
    entry.lastSeen = now;
    entry.presentInPrevious = true;
    next.emplace(pid, std::move(entry));
  }
  for (const auto& [pid, old] : tracked_) {
    if (next.contains(pid)) continue;
    // A clock that stepped back makes `now` earlier than `lastSeen`: that is no age at all.
    uint64_t age = now > old.lastSeen ? now - old.lastSeen : 0;
    if (age > kCarryOverNs) continue;
    NettopTracked kept = old;
    kept.rateIn = kept.rateOut = 0;
    if (parse.partial || parse.conflicting.contains(pid)) {
      // Not seen is not gone: the next run that lists it measures from these counters.
      kept.heldOver = kept.presentInPrevious;
    } else {
      kept.presentInPrevious = false;
      kept.heldOver = false;
    }
    next.emplace(pid, std::move(kept));
  }
  tracked_ = std::move(next);
}

ProcessNetworkSnapshot ProcessNetworkSampler::snapshot() const {
  ProcessNetworkSnapshot s;
  s.entries.reserve(tracked_.size());
  for (const auto& [pid, t] : tracked_) {
    s.entries.push_back({pid, t.name, t.rateIn, t.rateOut, t.totalIn, t.totalOut});
  }
  return s;
}

}  // namespace kovra
