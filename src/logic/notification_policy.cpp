#include "logic/notification_policy.h"

namespace kovra {

bool MantikNotificationPolicy::shouldNotifyMemory(std::optional<MemoryPressure> pressure, double at) {
  if (pressure != MemoryPressure::critical) {
    // The stretch breaks; the cooldown keeps running across stretches.
    memoryCriticalSince.reset();
    return false;
  }
  if (!memoryCriticalSince) memoryCriticalSince = at;
  const bool lastedLongEnough = at - *memoryCriticalSince >= memoryCriticalAfter;
  const bool cooledDown = !lastMemoryNotice || at - *lastMemoryNotice >= memoryCooldown;
  if (lastedLongEnough && cooledDown) {
    lastMemoryNotice = at;
    return true;
  }
  return false;
}

bool MantikNotificationPolicy::shouldNotifyDisk(const std::optional<Verdict>& diskVerdict) {
  if (!diskVerdict) return false;
  if (diskVerdict->severity == Severity::ok) {
    diskArmed = true;
    return false;
  }
  if (diskVerdict->severity == Severity::critical && diskArmed) {
    diskArmed = false;
    return true;
  }
  return false;
}

}  // namespace kovra
