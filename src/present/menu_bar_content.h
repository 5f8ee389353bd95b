#pragma once
// The label's texts from the readings and settings, its spoken description, and slot widths that
// only grow while the settings and the font size stay the same.

#include <optional>
#include <string>

#include "core/records.h"
#include "present/menu_bar_renderer.h"

namespace kovra {

struct ArayuzMenuBarInputs {
  bool showsNetwork = true;
  bool showsMemory = true;
  RateUnit unit = RateUnit::bytes;
  std::optional<NetworkRates> displayRates;
  std::optional<MemorySnapshot> memory;
  bool showsTemperature = false;
  std::optional<double> processorCelsius;
};

ArayuzMenuBarContent makeMenuBarContent(const ArayuzMenuBarInputs& inputs);

// "İndirme …, yükleme …", "Bellek kullanımı …" and "İşlemci sıcaklığı …", joined by ", ".
std::string menuBarAccessibilityText(const ArayuzMenuBarContent& content);

// Starts from `cached` when it was made for the same parts, unit and font size, else from the
// base layout, and widens the slots to fit `content`.
ArayuzMenuBarLayout resolveMenuBarLayout(const std::optional<ArayuzMenuBarLayout>& cached,
                                         const ArayuzMenuBarContent& content, const ArayuzTextMeasurer& measurer);

}  // namespace kovra
