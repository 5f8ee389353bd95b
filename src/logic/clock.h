#pragma once
// The injectable source of wall-clock time and monotonic uptime. Every duration decision uses
// uptime (seconds since boot, suspend included); history points carry wall-clock dates.

#include <functional>
#include <memory>

#include "core/records.h"

namespace kovra {

struct MantikClock {
  // Wall-clock time; stamps history points and computes history windows. Callable from any thread.
  std::function<Date()> now;
  // Seconds since the machine booted, monotonic, counting time spent suspended. Any thread.
  std::function<double()> uptime;

  // The live clock: the system's wall clock and CLOCK_BOOTTIME.
  static MantikClock system();
};

// A settable clock for tests and previews. Copies of clock() follow this object's settings and
// stay valid after it is gone (they share its state). Safe to read from any thread.
class MantikManualClock {
 public:
  // Starts at uptime `uptime` and wall time `now` (default: 2026-01-01T00:00:00Z).
  explicit MantikManualClock(double uptime = 0, Date now = defaultStart());

  MantikClock clock() const;

  double uptime() const;
  Date now() const;
  void setUptime(double seconds);
  void setNow(Date date);
  // Moves both the uptime and the wall clock forward by `seconds`.
  void advance(double seconds);

  static Date defaultStart();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace kovra
