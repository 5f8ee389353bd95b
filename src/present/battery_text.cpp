#include "present/battery_text.h"

#include <cmath>

#include "core/format.h"
#include "core/localize.h"

namespace kovra::ArayuzBatteryText {

namespace {

std::string watts(double x) {
  if (!std::isfinite(x)) return std::string(Format::placeholder);
  auto n = Format::wholeNumber(x);
  return n ? *n + " W" : std::string(Format::placeholder);
}

}  // namespace

std::string symbol(const BatterySnapshot& battery) {
  if (battery.isPluggedIn && battery.isCharging) return "battery.100.bolt";
  double f = battery.chargeFraction;
  const char* level = "0";
  if (f >= 0.875) level = "100";
  else if (f >= 0.625) level = "75";
  else if (f >= 0.375) level = "50";
  else if (f >= 0.125) level = "25";
  return std::string("battery.") + level;
}

std::string status(const BatterySnapshot& battery) {
  if (battery.isPluggedIn && !battery.isCharging) {
    return battery.isFullyCharged ? localized("Dolu, adaptör takılı", "Pil durumu")
                                  : localized("Adaptör takılı, şarj olmuyor", "Pil durumu");
  }
  if (battery.isPluggedIn) {
    if (!battery.timeRemainingMinutes) return localized("Şarj oluyor", "Pil durumu");
    return localized("Şarj oluyor, dolmasına ", "Pil durumu, ardından süre") +
           Format::duration(battery.timeRemainingMinutes) + localized(" var", "Pil durumu, süreden sonra");
  }
  if (!battery.timeRemainingMinutes) return localized("Pilden çalışıyor", "Pil durumu");
  return localized("Pilden çalışıyor, ", "Pil durumu, ardından süre") + Format::duration(battery.timeRemainingMinutes) +
         localized(" kaldı", "Pil durumu, süreden sonra");
}

std::vector<std::string> powerParts(const BatterySnapshot& battery) {
  std::vector<std::string> parts;
  if (battery.isPluggedIn && battery.adapterInputWatts) {
    std::string line = localized("Adaptörden ", "Adaptör gücü, ardından watt") + watts(*battery.adapterInputWatts) +
                       localized(" geliyor", "Adaptör gücü, watt'tan sonra");
    if (battery.adapterRatedWatts) {
      auto rated = Format::wholeNumber(static_cast<double>(*battery.adapterRatedWatts));
      line += " (" + (rated ? *rated + " W" : std::string(Format::placeholder)) +
              localized(" adaptör)", "Adaptörün anma gücü");
    }
    parts.push_back(std::move(line));
  }
  if (battery.batteryPowerWatts) {
    double p = *battery.batteryPowerWatts;
    if (std::fabs(p) >= 0.5) {
      if (p > 0) {
        parts.push_back(localized("Pile ", "Pile giren güç") + watts(std::fabs(p)) + localized(" giriyor", "Pile giren güç"));
      } else {
        parts.push_back(localized("Pilden ", "Pilden çıkan güç") + watts(std::fabs(p)) +
                        localized(" çıkıyor", "Pilden çıkan güç"));
      }
    }
  }
  return parts;
}

std::vector<std::string> tooltipLines(const BatterySnapshot& battery) {
  std::vector<std::string> lines;
  lines.push_back(localized("Pil ", "Pil ipucu, ardından yüzde") + Format::percent(battery.chargeFraction));
  lines.push_back(status(battery));
  for (auto& part : powerParts(battery)) lines.push_back(std::move(part));
  if (battery.cycleCount) {
    std::string count =
        *battery.cycleCount < 0 ? std::string(Format::placeholder) : Format::grouped(*battery.cycleCount);
    lines.push_back(localized("Detay: şarj döngüsü sayısı (cycle count) ", "Pil ipucu, döngü sayısı") + count);
  }
  return lines;
}

std::string tooltip(const BatterySnapshot& battery) {
  std::string out;
  for (const auto& line : tooltipLines(battery)) {
    if (!out.empty()) out += '\n';
    out += line;
  }
  return out;
}

}  // namespace kovra::ArayuzBatteryText
