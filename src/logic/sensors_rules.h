#pragma once
// What the temperatures mean: the parts' names, each part's level with hysteresis, the verdict
// that names the part in trouble (and, for the processor, the app using the most of it), and
// when a part's notice is due. Times are uptime seconds.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/sensor_records.h"
#include "logic/notification_text.h"

namespace kovra {

struct MantikSensorTexts {
  // "İşlemci", "Ekran kartı", "Disk", "Pil", "Diğer"; a number follows when the machine has
  // several of a kind ("Disk 2"), counted in the snapshot's order.
  static std::string partName(const SensorsSnapshot& s, const SensorPartReading& part);
  // What a part is called in the policy's and the levels' books: "processor", "drive/nvme1".
  static std::string partKey(const SensorPartReading& part);
  // "54 °C"; "—" when absent.
  static std::string celsius(std::optional<double> c);
  // "1.063 dev/dk", "Durmuş" for a fan standing still, "—" when absent.
  static std::string fanSpeed(std::optional<double> rpm);
};

// Each part's level: warning at its limit − 10 °C, critical at its limit. Critical shows at
// once; warning only after the part has stayed at or above its mark for 10 s (a processor's
// boost touches it for a second at a time). A level falls one step at a time, once the figure
// has stayed 3 °C below that level's mark for 10 s (critical) or 30 s (warning), so a figure
// wavering at a mark does not make the card flicker.
class MantikSensorLevels {
 public:
  static constexpr double kWarningBelowLimit = 10;
  static constexpr double kExitMargin = 3;
  static constexpr double kWarningAfter = 10;
  static constexpr double kCriticalFallAfter = 10;
  static constexpr double kWarningFallAfter = 30;
  // Readings further apart than this (sampling paused while nothing showed the sensors; they are
  // read every 2 s while shown) do not make one stretch.
  static constexpr double kMaxGap = 60;

  // After each reading; a part without a figure (or gone) is back to ok.
  void update(const std::optional<SensorsSnapshot>& sensors, double now);
  Severity level(const SensorPartReading& part) const;

 private:
  struct Book {
    Severity level = Severity::ok;
    std::optional<double> atWarningSince;
    std::optional<double> belowExitSince;
    std::optional<double> lastReading;
  };
  std::map<std::string, Book> books_;
};

struct MantikSensorsVerdict {
  // The part with the worst level (the one nearest its limit among equals): ok names the
  // hottest part; warning and critical say how hot against what limit, and for the processor
  // which app uses the most of it. Neutral "—" without a figure.
  static Verdict verdict(const std::optional<SensorsSnapshot>& sensors, const MantikSensorLevels& levels,
                         const std::optional<AppUsage>& topCPUApp, std::optional<CardKind> card);
  // The part the verdict speaks of (null when none has a figure).
  static const SensorPartReading* focus(const SensorsSnapshot& sensors, const MantikSensorLevels& levels);
};

// A notice when a part stays at or above its critical limit for 30 s, then at most one per 10
// minutes for that part (the cooldown runs across stretches, as the memory notice's does).
class MantikSensorsNotificationPolicy {
 public:
  double criticalAfter = 30;
  double cooldown = 600;

  // The positions in `sensors.parts` of the parts whose notice is due after this reading
  // (decided whether or not notices are on; no reading counts as below every limit).
  std::vector<size_t> due(const SensorsSnapshot* sensors, double now);

  static MantikNotice notice(const SensorsSnapshot& sensors, const SensorPartReading& part,
                             const std::optional<AppUsage>& topCPUApp);

 private:
  struct Book {
    std::optional<double> criticalSince;
    std::optional<double> lastNotice;
    std::optional<double> lastReading;
  };
  std::map<std::string, Book> books_;
};

}  // namespace kovra
