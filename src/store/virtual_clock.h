#pragma once
// A clock that follows a manual executor's virtual time, so the store's durations (uptime) and the
// executor's deadlines agree in tests: uptime is the executor's now(); the wall clock starts at
// `start` when the executor is at `startUptime` and moves with it.

#include <chrono>
#include <functional>

#include "core/manual_executor.h"
#include "logic/clock.h"

namespace kovra {

inline MantikClock executorClock(const ManualExecutor& executor, Date start = MantikManualClock::defaultStart()) {
  const ManualExecutor* ex = &executor;
  double startUptime = executor.now();
  return MantikClock{
      [ex, start, startUptime] {
        return start + std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(ex->now() - startUptime));
      },
      [ex] { return ex->now(); }};
}

}  // namespace kovra
