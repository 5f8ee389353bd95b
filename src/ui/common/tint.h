#pragma once
// Colours that follow the palette. A label's tone (secondary or tertiary text) and a symbol's tint
// are worked out from the palette each time the palette changes, so a change of colour scheme
// while running reaches every label and every symbol, not only the ones created afterwards.

#include <QColor>
#include <QIcon>
#include <QPalette>

#include <functional>
#include <string_view>

class QAbstractButton;
class QLabel;
class QWidget;

namespace kovra::ui {

enum class Tone { primary, secondary, tertiary };

// The text colour of a tone in a palette.
QColor toneColor(Tone tone, const QPalette& palette);
// Draws the widget's text in the tone, following palette changes of the widget and its parent.
void setTone(QWidget* widget, Tone tone);
// Draws the widget's text in a colour worked out from the palette, kept current the same way.
using PaletteColor = std::function<QColor(const QPalette&)>;
void setTextColor(QWidget* widget, PaletteColor colour);

// Shows the symbol on the label at `px` square, tinted by `tint` from the label's palette, and
// draws it again when the palette changes.
void showSymbol(QLabel* label, std::string_view symbol, PaletteColor tint, int px);
// Shows an icon on the label at `px` square. Icons that are masks (the program's generic symbols
// for apps, files and folders) are tinted with the secondary text colour of the label's palette.
void showIcon(QLabel* label, const QIcon& icon, int px);
// The button's icon: the symbol in its text colour, again when the palette changes; an empty
// name takes the icon away.
void setSymbolIcon(QAbstractButton* button, std::string_view symbol);

}  // namespace kovra::ui
