#pragma once
// Small helpers the dashboard's labels share.

#include <QLabel>
#include <QString>

namespace kovra::ui {

// A label in `font`, plain text, optionally in the secondary text colour.
QLabel* makeLabel(const QString& text, const QFont& font, QWidget* parent, bool secondary = false);
// Reserves the width of `widest` so that changing figures do not move what follows them.
void reserveWidth(QLabel* label, const QString& widest);
// Fixes the label's size to one line of `widest`: its text then changes without a new layout pass.
void fixToWidest(QLabel* label, const QString& widest);
// Sets the text only when it differs (no relayout for equal texts).
void setTextIfChanged(QLabel* label, const QString& text);

}  // namespace kovra::ui
