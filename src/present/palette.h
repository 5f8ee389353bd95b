#pragma once
// Colours by name. The models only say which palette entry a line or badge uses; the front end
// turns a name into a real colour (and knows about dark appearance).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/records.h"

namespace kovra {

enum class ArayuzPalette {
  ok,
  warning,
  critical,
  memoryApps,
  memorySystem,
  memoryCache,
  memoryFree,
  memoryLine,
  download,
  upload,
  cpu,
  track,
  cardBackground,
  cardBorder,
  // The temperature chart's lines, one per part, in the parts' order.
  partLine1,
  partLine2,
  partLine3,
  partLine4,
  partLine5,
  partLine6,
};

// The line colour of the `index`th part (from 0); the six colours repeat.
ArayuzPalette partLineColour(size_t index);

std::string_view paletteName(ArayuzPalette colour);

// The card titles shown on the dashboard and the detail pages.
namespace ArayuzCardInfo {
std::string title(CardKind card);
}

// Label, symbol and colour of the status badge; neutral draws no badge at all.
struct ArayuzSeverityStyle {
  std::string label;
  std::string symbol;
  ArayuzPalette colour = ArayuzPalette::ok;
  bool operator==(const ArayuzSeverityStyle&) const = default;

  static std::optional<ArayuzSeverityStyle> of(Severity severity);
};

namespace ArayuzNetworkText {
std::string connection(ConnectionKind kind);
}

}  // namespace kovra
