#include "logic/clock.h"

#include <atomic>
#include <cmath>
#include <ctime>

namespace kovra {

namespace {

double bootTimeSeconds() {
  timespec ts{};
  if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) {
    // CLOCK_BOOTTIME exists on every kernel we run on; the monotonic clock is the next best.
    clock_gettime(CLOCK_MONOTONIC, &ts);
  }
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

MantikClock MantikClock::system() {
  return MantikClock{[] { return std::chrono::system_clock::now(); }, [] { return bootTimeSeconds(); }};
}

struct MantikManualClock::State {
  std::atomic<double> uptime{0};
  std::atomic<Date::rep> nowTicks{0};
};

MantikManualClock::MantikManualClock(double uptime, Date now) : state_(std::make_shared<State>()) {
  state_->uptime.store(uptime);
  state_->nowTicks.store(now.time_since_epoch().count());
}

MantikClock MantikManualClock::clock() const {
  std::shared_ptr<State> s = state_;
  return MantikClock{[s] { return Date(Date::duration(s->nowTicks.load())); }, [s] { return s->uptime.load(); }};
}

double MantikManualClock::uptime() const { return state_->uptime.load(); }
Date MantikManualClock::now() const { return Date(Date::duration(state_->nowTicks.load())); }
void MantikManualClock::setUptime(double seconds) { state_->uptime.store(seconds); }
void MantikManualClock::setNow(Date date) { state_->nowTicks.store(date.time_since_epoch().count()); }

void MantikManualClock::advance(double seconds) {
  state_->uptime.store(state_->uptime.load() + seconds);
  auto delta = std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
  state_->nowTicks.store(state_->nowTicks.load() + delta.count());
}

Date MantikManualClock::defaultStart() {
  // 2026-01-01T00:00:00Z
  return Date(std::chrono::seconds(1767225600));
}

}  // namespace kovra
