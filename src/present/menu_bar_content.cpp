#include "present/menu_bar_content.h"

#include <algorithm>
#include <cmath>

#include "core/localize.h"
#include "logic/sensors_rules.h"

namespace kovra {

ArayuzMenuBarContent makeMenuBarContent(const ArayuzMenuBarInputs& in) {
  ArayuzMenuBarContent content;
  content.unit = in.unit;
  if (in.showsNetwork) {
    if (in.displayRates) {
      content.down = menuBarRateText(in.displayRates->downloadBytesPerSecond, in.unit);
      content.up = menuBarRateText(in.displayRates->uploadBytesPerSecond, in.unit);
    } else {
      content.down = std::string(Format::placeholder);
      content.up = std::string(Format::placeholder);
    }
  }
  if (in.showsMemory) {
    content.ram = in.memory ? menuBarPercentText(in.memory->usedFraction()) : std::string(Format::placeholder);
  }
  if (in.showsTemperature) content.temperature = MantikSensorTexts::celsius(in.processorCelsius);
  return content;
}

std::string menuBarAccessibilityText(const ArayuzMenuBarContent& content) {
  std::string out;
  if (content.down && content.up) {
    out = localized("İndirme ", "Menü çubuğu erişilebilirlik metni") + *content.down +
          localized(", yükleme ", "Menü çubuğu erişilebilirlik metni") + *content.up;
  }
  if (content.ram) {
    if (!out.empty()) out += ", ";
    out += localized("Bellek kullanımı ", "Menü çubuğu erişilebilirlik metni") + *content.ram;
  }
  if (content.temperature) {
    if (!out.empty()) out += ", ";
    out += localized("İşlemci sıcaklığı ", "Menü çubuğu erişilebilirlik metni") + *content.temperature;
  }
  return out;
}

ArayuzMenuBarLayout resolveMenuBarLayout(const std::optional<ArayuzMenuBarLayout>& cached,
                                         const ArayuzMenuBarContent& content, const ArayuzTextMeasurer& measurer) {
  const double size = measurer.menuBarFontSize();
  const bool network = content.down.has_value();
  const bool memory = content.ram.has_value();
  const bool temperature = content.temperature.has_value();
  ArayuzMenuBarLayout layout;
  if (cached && cached->showsNetwork == network && cached->showsMemory == memory &&
      cached->showsTemperature == temperature && cached->unit == content.unit && cached->fontSize == size) {
    layout = *cached;
  } else {
    layout = ArayuzMenuBarRenderer::baseLayout(measurer, network, memory, content.unit, size, temperature);
  }
  auto width = [&](std::string_view prefix, const std::string& text) {
    return std::ceil(measurer.textWidth(std::string(prefix) + text, size));
  };
  if (content.down && content.up) {
    layout.rateWidth = std::max({layout.rateWidth, width(kDownPrefix, *content.down), width(kUpPrefix, *content.up)});
  }
  if (content.ram) layout.percentWidth = std::max(layout.percentWidth, width(kRamPrefix, *content.ram));
  if (content.temperature) layout.temperatureWidth = std::max(layout.temperatureWidth, width("", *content.temperature));
  return layout;
}

}  // namespace kovra
