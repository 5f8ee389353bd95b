#pragma once
// The program's look where the desktop offers none: one spacing scale, one corner radius, one set
// of greys and the system font, on top of Fusion. On a desktop whose platform theme brings its own
// style (Breeze on KDE, for example) that style and its palette are followed instead; either way
// every view takes its colours from the palette at paint time, so a change of colour scheme while
// running reaches all of them.

#include <QPalette>
#include <QProxyStyle>

class QApplication;

namespace kovra::ui {

namespace Look {
// Spacing scale: every margin and gap is one of these.
inline constexpr int kGap1 = 4;
inline constexpr int kGap2 = 8;
inline constexpr int kGap3 = 12;
inline constexpr int kGap4 = 16;
inline constexpr int kGap5 = 20;
// The one corner radius of surfaces and controls (cards, boxes, buttons, tooltips).
inline constexpr int kRadius = 8;
// The minimum height of push buttons and their padding around the label.
inline constexpr int kButtonHeight = 30;
inline constexpr int kButtonPadding = 14;
}  // namespace Look

enum class ColorScheme { light, dark };

// The program's own palettes for Fusion: neutral greys, the system blue as accent, tooltips in the
// window's colours.
QPalette kovraPalette(ColorScheme scheme);

// Fusion with roomier buttons, flat progress bars and the one radius.
class KovraStyle : public QProxyStyle {
  Q_OBJECT
 public:
  KovraStyle();

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  QPalette standardPalette() const override { return kovraPalette(ColorScheme::light); }
};

// Whether the style in use is the program's own (the desktop offered none).
bool usesKovraLook();

// At start-up: keeps a style the platform theme chose (or the user asked for with -style or
// QT_STYLE_OVERRIDE) together with its palette; otherwise installs KovraStyle, the palette of
// `scheme` and the system font.
void applyDesktopLook(QApplication& application, ColorScheme scheme);
// A colour scheme change reported by the desktop while running: with the program's own look, the
// palette of the new scheme; with a desktop style, nothing (its platform theme sends the palette).
void applyColorScheme(QApplication& application, ColorScheme scheme);

}  // namespace kovra::ui
