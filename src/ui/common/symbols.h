#pragma once
// The program's own symbols: small monochrome drawings kept as resources and tinted when drawn,
// so the program looks the same on every desktop. Names follow the models ("checkmark.circle.fill",
// "battery.75", "chevron.right", …); an unknown name draws a neutral dashed circle.

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <string_view>

namespace kovra::ui {

// A `px` × `px` (device-independent) picture of the symbol in `tint`, at the given pixel ratio.
QPixmap symbolPixmap(std::string_view name, const QColor& tint, int px, qreal dpr = 1.0);
// An icon that draws the symbol in `tint` at whatever size it is asked for; disabled icons fade.
QIcon symbolIcon(std::string_view name, const QColor& tint);
// The symbol as a mask icon: views that show it tint it from their palette (see tint.h).
QIcon adaptiveSymbolIcon(std::string_view name);
// Whether a drawing with this name exists (otherwise the fallback is drawn).
bool hasSymbol(std::string_view name);

}  // namespace kovra::ui
