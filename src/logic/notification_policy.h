#pragma once
// Decides when a memory or disk notice is due. Times are uptime seconds, so wall-clock changes
// do not matter. The decision is taken whether or not notifications are enabled; the caller
// posts only when the setting is on.

#include <optional>

#include "core/records.h"

namespace kovra {

struct MantikNotificationPolicy {
  double memoryCriticalAfter = 30;  // critical pressure must last this long before a notice
  double memoryCooldown = 600;      // minimum time between two memory notices
  std::optional<double> memoryCriticalSince;
  std::optional<double> lastMemoryNotice;
  bool diskArmed = true;

  // After each memory reading (absent pressure counts as not critical).
  bool shouldNotifyMemory(std::optional<MemoryPressure> pressure, double at);

  // After each disk reading, with the new disk verdict: an ok verdict re-arms; a critical one
  // notifies once while armed and disarms; anything else changes nothing.
  bool shouldNotifyDisk(const std::optional<Verdict>& diskVerdict);
};

}  // namespace kovra
