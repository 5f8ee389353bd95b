#pragma once
// Real colours for the models' palette names. Dark appearance is read from the widget palette:
// a dark window colour means dark appearance.

#include <QColor>
#include <QPalette>

#include "core/records.h"
#include "present/palette.h"

namespace kovra::ui {

bool isDarkAppearance(const QPalette& widgetPalette);
QColor paletteColor(ArayuzPalette colour, const QPalette& widgetPalette);
// The badge colour of a severity; neutral is the secondary text colour.
QColor severityColor(Severity severity, const QPalette& widgetPalette);
// The primary text colour at a reduced opacity, for captions and secondary lines.
QColor secondaryTextColor(const QPalette& widgetPalette);

}  // namespace kovra::ui
