#include "platform/linux/memory_pressure.h"

namespace kovra::linuxfs {

namespace {

constexpr int32_t kNormal = 1, kWarning = 2, kCritical = 4;

struct Figures {
  bool havePsi = false;
  double some = 0, full = 0, availablePercent = 100;
  bool swapExhausted = true;
};

bool calmBelow(int32_t level, const Figures& f) {
  if (!f.havePsi) return f.availablePercent > (level == kCritical ? 15 : 25);
  if (level == kCritical) return f.full < 5 && f.some < 20 && f.availablePercent > 8;
  return f.some < 5 && f.full < 1 && f.availablePercent > 15;
}

}  // namespace

int32_t MemoryPressureTracker::update(const PressureInputs& in, double now) {
  Figures f;
  f.havePsi = in.psi.has_value();
  f.availablePercent = in.memTotal == 0 ? 100
                                        : 100.0 * static_cast<double>(in.memAvailable) / static_cast<double>(in.memTotal);
  if (f.havePsi && f.availablePercent < 50) {
    f.some = in.psi->someAvg10;
    f.full = in.psi->fullAvg10;
  }
  const uint64_t swapUsed = in.swapFree >= in.swapTotal ? 0 : in.swapTotal - in.swapFree;
  f.swapExhausted = in.swapTotal == 0 || static_cast<double>(swapUsed) >= 0.9 * static_cast<double>(in.swapTotal);
  someHighStreak_ = f.some >= 10 ? someHighStreak_ + 1 : 0;

  bool critical, warning;
  if (f.havePsi) {
    critical = f.full >= 10 || f.some >= 40 || (f.availablePercent <= 5 && f.swapExhausted);
    warning = someHighStreak_ >= 2 || f.full >= 2 || f.availablePercent <= 10;
  } else {
    critical = f.availablePercent <= 10;
    warning = f.availablePercent <= 20;
  }

  const int32_t entered = critical ? kCritical : (warning ? kWarning : kNormal);
  if (entered > level_) {
    level_ = entered;
    calmSince_.reset();
    return level_;
  }
  if (level_ == kNormal || !calmBelow(level_, f)) {
    calmSince_.reset();
    return level_;
  }
  if (!calmSince_) calmSince_ = now;
  const double dwell = level_ == kCritical ? kCriticalDwell : kWarningDwell;
  if (now - *calmSince_ >= dwell) {
    level_ = level_ == kCritical ? kWarning : kNormal;
    // The next step down needs its own quiet time, counted from now.
    calmSince_.reset();
    if (level_ != kNormal && calmBelow(level_, f)) calmSince_ = now;
  }
  return level_;
}

}  // namespace kovra::linuxfs
