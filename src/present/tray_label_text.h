#pragma once
// The label as text, for panels that show a text beside the tray icon instead of a picture. Each
// part is left-padded with figure spaces to the length of the widest sample of its slot, and the
// guide (the widest samples) tells the panel how much room to keep, so the text does not jitter
// as digits change.

#include <optional>
#include <string>
#include <string_view>

#include "present/menu_bar_renderer.h"

namespace kovra {

// U+2007 FIGURE SPACE: as wide as a digit in fonts with tabular digits.
inline constexpr std::string_view kFigureSpace = "\u2007";
// Between two parts of the label.
inline constexpr std::string_view kTrayLabelSeparator = "  ";

struct ArayuzTrayLabel {
  std::string label;  // empty while both parts are switched off
  std::string guide;  // empty with the label
  bool operator==(const ArayuzTrayLabel&) const = default;
};

// Number of code points in UTF-8 text.
size_t codePointCount(std::string_view text);

ArayuzTrayLabel makeTrayLabel(const std::optional<ArayuzMenuBarContent>& content);

}  // namespace kovra
