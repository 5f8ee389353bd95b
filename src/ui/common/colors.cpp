#include "ui/common/colors.h"

namespace kovra::ui {
namespace {

QColor pick(bool dark, QColor light, QColor darkColour) { return dark ? darkColour : light; }

QColor withAlpha(QColor c, double alpha) {
  c.setAlphaF(static_cast<float>(alpha));
  return c;
}

}  // namespace

bool isDarkAppearance(const QPalette& widgetPalette) {
  return widgetPalette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor paletteColor(ArayuzPalette colour, const QPalette& widgetPalette) {
  const bool dark = isDarkAppearance(widgetPalette);
  const QColor text = widgetPalette.color(QPalette::WindowText);
  const QColor blue = pick(dark, QColor(0, 122, 255), QColor(10, 132, 255));
  const QColor purple = pick(dark, QColor(175, 82, 222), QColor(191, 90, 242));
  switch (colour) {
    case ArayuzPalette::ok: return pick(dark, QColor(40, 167, 69), QColor(48, 209, 88));
    case ArayuzPalette::warning: return dark ? QColor(255, 214, 10) : QColor::fromRgbF(0.78f, 0.56f, 0.0f, 1.0f);
    case ArayuzPalette::critical: return pick(dark, QColor(255, 59, 48), QColor(255, 69, 58));
    case ArayuzPalette::memoryApps: return blue;
    case ArayuzPalette::memorySystem: return purple;
    case ArayuzPalette::memoryCache: return pick(dark, QColor(48, 176, 199), QColor(64, 200, 224));
    case ArayuzPalette::memoryFree: return withAlpha(text, 0.16);
    case ArayuzPalette::memoryLine: return blue;
    case ArayuzPalette::download: return blue;
    case ArayuzPalette::upload: return purple;
    case ArayuzPalette::cpu: return blue;
    case ArayuzPalette::track: return withAlpha(text, 0.10);
    case ArayuzPalette::cardBackground: return widgetPalette.color(QPalette::Base);
    case ArayuzPalette::cardBorder: return withAlpha(text, 0.08);
    // Orange first: the processor's line, and the colour of heat.
    case ArayuzPalette::partLine1: return pick(dark, QColor(255, 149, 0), QColor(255, 159, 10));
    case ArayuzPalette::partLine2: return purple;
    case ArayuzPalette::partLine3: return pick(dark, QColor(48, 176, 199), QColor(64, 200, 224));
    case ArayuzPalette::partLine4: return pick(dark, QColor(255, 45, 85), QColor(255, 55, 95));
    case ArayuzPalette::partLine5: return blue;
    case ArayuzPalette::partLine6: return pick(dark, QColor(162, 132, 94), QColor(172, 142, 104));
  }
  return text;
}

QColor severityColor(Severity severity, const QPalette& widgetPalette) {
  switch (severity) {
    case Severity::neutral: return secondaryTextColor(widgetPalette);
    case Severity::ok: return paletteColor(ArayuzPalette::ok, widgetPalette);
    case Severity::warning: return paletteColor(ArayuzPalette::warning, widgetPalette);
    case Severity::critical: return paletteColor(ArayuzPalette::critical, widgetPalette);
  }
  return secondaryTextColor(widgetPalette);
}

QColor secondaryTextColor(const QPalette& widgetPalette) {
  return withAlpha(widgetPalette.color(QPalette::WindowText), 0.62);
}

}  // namespace kovra::ui
