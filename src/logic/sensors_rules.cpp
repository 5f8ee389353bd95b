#include "logic/sensors_rules.h"

#include <algorithm>
#include <set>

#include "core/format.h"
#include "core/localize.h"

namespace kovra {

namespace {

std::string_view kindName(SensorPart p) {
  switch (p) {
    case SensorPart::processor: return "İşlemci";
    case SensorPart::graphics: return "Ekran kartı";
    case SensorPart::drive: return "Disk";
    case SensorPart::battery: return "Pil";
    case SensorPart::other: return "Diğer";
  }
  return "Diğer";
}

int rank(Severity s) { return static_cast<int>(s); }

double share(const SensorPartReading& p) { return p.celsius && p.limitCelsius > 0 ? *p.celsius / p.limitCelsius : 0; }

}  // namespace

std::string MantikSensorTexts::partName(const SensorsSnapshot& s, const SensorPartReading& part) {
  std::string name = localized(kindName(part.part), "sensor part");
  int count = 0;
  int ordinal = 0;
  for (const auto& p : s.parts) {
    if (p.part != part.part) continue;
    ++count;
    if (p.device == part.device) ordinal = count;
  }
  if (count > 1 && ordinal > 0) name += " " + std::to_string(ordinal);
  return name;
}

std::string MantikSensorTexts::partKey(const SensorPartReading& part) {
  std::string key(rawValue(part.part));
  if (part.device) key += "/" + *part.device;
  return key;
}

std::string MantikSensorTexts::celsius(std::optional<double> c) {
  const auto text = c ? Format::wholeNumber(*c) : std::nullopt;
  return text ? *text + " °C" : std::string(Format::placeholder);
}

std::string MantikSensorTexts::fanSpeed(std::optional<double> rpm) {
  if (!rpm) return std::string(Format::placeholder);
  if (*rpm < 0.5) return localized("Durmuş", "fan standing still");
  const auto text = Format::wholeNumber(*rpm);
  return text ? *text + " dev/dk" : std::string(Format::placeholder);
}

// ---- levels ------------------------------------------------------------------------------------

void MantikSensorLevels::update(const std::optional<SensorsSnapshot>& sensors, double now) {
  std::map<std::string, Book> next;
  if (sensors) {
    for (const auto& part : sensors->parts) {
      if (!part.celsius) continue;
      const std::string key = MantikSensorTexts::partKey(part);
      auto it = books_.find(key);
      Book book = it != books_.end() ? it->second : Book{};
      // After a pause in the readings (nothing showed the sensors) no stretch goes on: what
      // happened in between is unknown.
      if (book.lastReading && now - *book.lastReading > kMaxGap) {
        book.atWarningSince.reset();
        book.belowExitSince.reset();
      }
      book.lastReading = now;
      const double c = *part.celsius;
      const double limit = part.limitCelsius;
      const double warning = limit - kWarningBelowLimit;

      if (c >= warning) {
        if (!book.atWarningSince) book.atWarningSince = now;
      } else {
        book.atWarningSince.reset();
      }
      Severity reached = Severity::ok;
      if (c >= limit) reached = Severity::critical;
      else if (book.atWarningSince && now - *book.atWarningSince >= kWarningAfter) reached = Severity::warning;

      if (rank(reached) >= rank(book.level)) {
        if (rank(reached) > rank(book.level)) book.level = reached;
        book.belowExitSince.reset();
      } else {
        const bool critical = book.level == Severity::critical;
        const double exit = (critical ? limit : warning) - kExitMargin;
        if (c < exit) {
          if (!book.belowExitSince) book.belowExitSince = now;
          if (now - *book.belowExitSince >= (critical ? kCriticalFallAfter : kWarningFallAfter)) {
            book.level = critical ? Severity::warning : Severity::ok;
            // The next step down waits its own stretch below its own mark.
            book.belowExitSince.reset();
            if (book.level == Severity::warning && c < warning - kExitMargin) book.belowExitSince = now;
          }
        } else {
          book.belowExitSince.reset();
        }
      }
      next[key] = book;
    }
  }
  books_ = std::move(next);
}

Severity MantikSensorLevels::level(const SensorPartReading& part) const {
  auto it = books_.find(MantikSensorTexts::partKey(part));
  return it == books_.end() ? Severity::ok : it->second.level;
}

// ---- verdict -----------------------------------------------------------------------------------

const SensorPartReading* MantikSensorsVerdict::focus(const SensorsSnapshot& sensors, const MantikSensorLevels& levels) {
  const SensorPartReading* best = nullptr;
  for (const auto& p : sensors.parts) {
    if (!p.celsius) continue;
    if (best == nullptr) {
      best = &p;
      continue;
    }
    const int a = rank(levels.level(p));
    const int b = rank(levels.level(*best));
    if (a > b || (a == b && a > rank(Severity::ok) && share(p) > share(*best)) ||
        (a == b && a == rank(Severity::ok) && *p.celsius > *best->celsius)) {
      best = &p;
    }
  }
  return best;
}

Verdict MantikSensorsVerdict::verdict(const std::optional<SensorsSnapshot>& sensors, const MantikSensorLevels& levels,
                                      const std::optional<AppUsage>& topCPUApp, std::optional<CardKind> card) {
  const SensorPartReading* part = sensors ? focus(*sensors, levels) : nullptr;
  if (part == nullptr) return Verdict{card, Severity::neutral, std::string(Format::placeholder)};
  const std::string name = MantikSensorTexts::partName(*sensors, *part);
  const std::string now = MantikSensorTexts::celsius(part->celsius);
  const std::string limit = MantikSensorTexts::celsius(part->limitCelsius);
  const std::string app = part->part == SensorPart::processor && topCPUApp
                              ? " En çok işlemci kullanan: " + topCPUApp->name + "."
                              : std::string();
  const Severity level = levels.level(*part);
  std::string sentence;
  switch (level) {
    case Severity::critical:
      sentence = name + " çok sıcak: " + now + ", sınırı " + limit + ". Bilgisayar yavaşlayabilir." + app;
      break;
    case Severity::warning:
      sentence = name + " ısınıyor: " + now + ", sınırı " + limit + "." + app;
      break;
    default:
      sentence = "Sıcaklıklar normal. En sıcak: " + name + " (" + now + ").";
      break;
  }
  return Verdict{card, level == Severity::neutral ? Severity::ok : level, localized(sentence, "verdict sentence")};
}

// ---- notices -----------------------------------------------------------------------------------

std::vector<size_t> MantikSensorsNotificationPolicy::due(const SensorsSnapshot* sensors, double now) {
  std::vector<size_t> parts;
  std::set<std::string> atLimit;
  if (sensors) {
    for (size_t i = 0; i < sensors->parts.size(); ++i) {
      const SensorPartReading& part = sensors->parts[i];
      if (!part.celsius || *part.celsius < part.limitCelsius) continue;
      const std::string key = MantikSensorTexts::partKey(part);
      atLimit.insert(key);
      Book& book = books_[key];
      // A pause in the readings ends the stretch: the part was not seen at its limit meanwhile.
      if (book.lastReading && now - *book.lastReading > MantikSensorLevels::kMaxGap) book.criticalSince.reset();
      book.lastReading = now;
      if (!book.criticalSince) book.criticalSince = now;
      if (now - *book.criticalSince >= criticalAfter && (!book.lastNotice || now - *book.lastNotice >= cooldown)) {
        book.lastNotice = now;
        parts.push_back(i);
      }
    }
  }
  // A reading below the limit (or none at all) ends the stretch; the last notice is kept.
  for (auto& [key, book] : books_) {
    if (!atLimit.count(key)) book.criticalSince.reset();
  }
  return parts;
}

MantikNotice MantikSensorsNotificationPolicy::notice(const SensorsSnapshot& sensors, const SensorPartReading& part,
                                                     const std::optional<AppUsage>& topCPUApp) {
  const std::string name = MantikSensorTexts::partName(sensors, part);
  MantikNotice n;
  n.identifier = "kovra.sensors." + MantikSensorTexts::partKey(part) + ".critical";
  n.title = localized(name + " çok ısındı", "notification title");
  std::string body = name + " yarım dakikadır sınırında: " + MantikSensorTexts::celsius(part.celsius) + " (sınır " +
                     MantikSensorTexts::celsius(part.limitCelsius) + ").";
  if (part.part == SensorPart::processor && topCPUApp) {
    body += " En çok işlemci kullanan: " + topCPUApp->name + ".";
  } else {
    body += " Havalandırmasının açık olduğundan emin ol.";
  }
  n.body = localized(body, "notification body");
  return n;
}

}  // namespace kovra
