#include "samplers/network/process_network_sampler.h"

#include <time.h>

#include <set>
#include <utility>

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

ProcessNetworkSampler::ProcessNetworkSampler() : ProcessNetworkSampler(readProcessTraffic, monotonicRawNanoseconds) {}

ProcessNetworkSampler::ProcessNetworkSampler(TrafficRead read, MonotonicClock clock)
    : read_(std::move(read)), clock_(std::move(clock)) {}

SampleResult<ProcessNetworkSnapshot> ProcessNetworkSampler::sample() {
  const uint64_t t0 = clock_();
  if (t0 == 0) return unreadable(kClockFailed);
  if (hasBaseline_ && t0 >= previousTime_ && t0 - previousTime_ <= kReuseWindowNs) {
    if (lastResult_) return *lastResult_;
    return notReady();
  }

  // The counters are read as soon as the reading starts: it is stamped with its start, so the
  // time then taken to match sockets to processes does not skew the rates.
  const uint64_t readAt = t0;
  auto reading = read_();
  if (!reading) return unreadable(reading.error());
  const uint64_t t1 = clock_();
  if (t1 == 0) return unreadable(kClockFailed);

  if (hasBaseline_ && readAt > previousReadTime_ && readAt - previousReadTime_ <= kMaxIntervalNs) {
    update(*reading, readAt, static_cast<double>(readAt - previousReadTime_) / 1e9);
    previousTime_ = t1;
    previousReadTime_ = readAt;
    lastResult_ = snapshot();
    return *lastResult_;
  }
  update(*reading, readAt, std::nullopt);
  previousTime_ = t1;
  previousReadTime_ = readAt;
  hasBaseline_ = true;
  lastResult_.reset();
  return notReady();
}

void ProcessNetworkSampler::update(const TrafficReading& reading, uint64_t now,
                                   std::optional<double> elapsedSeconds) {
  std::map<int32_t, const ProcessTraffic*> rows;
  std::set<int32_t> conflicting;
  for (const ProcessTraffic& row : reading.processes) {
    if (conflicting.contains(row.pid)) continue;
    if (!rows.emplace(row.pid, &row).second) {
      rows.erase(row.pid);
      conflicting.insert(row.pid);
    }
  }
  std::map<int32_t, TrafficTracked> next;
  for (const auto& [pid, listed] : rows) {
    const ProcessTraffic& row = *listed;
    TrafficTracked entry;
    uint64_t deltaIn = row.bytesReceived, deltaOut = row.bytesSent;
    std::optional<double> interval = elapsedSeconds;
    auto old = tracked_.find(pid);
    if (old != tracked_.end() && old->second.name == row.name) {
      entry.totalIn = old->second.totalIn;
      entry.totalOut = old->second.totalOut;
      if (old->second.presentInPrevious) {
        // A counter that went down (a connection closed) adds nothing.
        deltaIn = row.bytesReceived > old->second.lastIn ? row.bytesReceived - old->second.lastIn : 0;
        deltaOut = row.bytesSent > old->second.lastOut ? row.bytesSent - old->second.lastOut : 0;
        // Held over: the counters were read before the previous reading, and the bytes since then
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
    entry.lastIn = row.bytesReceived;
    entry.lastOut = row.bytesSent;
    entry.lastSeen = now;
    entry.presentInPrevious = true;
    next.emplace(pid, std::move(entry));
  }
  for (const auto& [pid, old] : tracked_) {
    if (next.contains(pid)) continue;
    // A clock that stepped back makes `now` earlier than `lastSeen`: that is no age at all.
    uint64_t age = now > old.lastSeen ? now - old.lastSeen : 0;
    if (age > kCarryOverNs) continue;
    TrafficTracked kept = old;
    kept.rateIn = kept.rateOut = 0;
    if (reading.partial || conflicting.contains(pid)) {
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
