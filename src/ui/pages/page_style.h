#pragma once
// Shared look of the detail pages: text roles (sizes and secondary colours), symbol labels and
// the conversion of the models' UTF-8 texts.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <string_view>

#include "ui/common/colors.h"
#include "ui/common/tint.h"

namespace kovra::ui {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

enum class TextRole { body, headline, title, callout, caption, secondary, secondaryCallout, secondaryCaption, tertiary };

// Sizes in pixels, which play the part of the points the pages are laid out in.
namespace PageMetrics {
inline constexpr int kBody = 13;
inline constexpr int kCallout = 12;
inline constexpr int kCaption = 11;
inline constexpr int kHeadline = 14;
inline constexpr int kTitle = 22;
inline constexpr int kBigFigure = 36;
inline constexpr int kRateFigure = 28;
inline constexpr int kPageWidth = 860;
inline constexpr int kPageSpacing = 20;
}  // namespace PageMetrics

QColor tertiaryTextColor(const QPalette& palette);

void setPixelFont(QWidget* widget, int px, QFont::Weight weight = QFont::Normal);
void applyRole(QLabel* label, TextRole role);
QLabel* makeLabel(const QString& text, TextRole role, QWidget* parent = nullptr);
// A label wrapping a long sentence, never wider than its column.
QLabel* makeNote(const QString& text, TextRole role, QWidget* parent = nullptr);
// A label showing one symbol, tinted from the label's palette whenever it changes.
QLabel* makeSymbolLabel(std::string_view symbol, PaletteColor tint, int px, QWidget* parent = nullptr);
void setSymbol(QLabel* label, std::string_view symbol, PaletteColor tint, int px);
// Tints for the calls above: a palette colour of the program, or a text tone.
PaletteColor fromPalette(ArayuzPalette colour);
PaletteColor inTone(Tone tone);
// Changes a label's text only when it differs (no relayout for an equal text).
inline void setTextIfChanged(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}
// Sets the text of a one-line label and fixes its size to what the text needs, never narrower than
// `minimumWidth`. A label of fixed size does not ask its layout to run again when its text
// changes, so a new text that fits the same width costs a repaint of the label only.
void setTextInFixedSize(QLabel* label, const QString& text, int minimumWidth = 0);
QWidget* makeDivider(QWidget* parent = nullptr);

}  // namespace kovra::ui
