#include "ui/dashboard/label_style.h"

#include <QFontMetrics>

#include "ui/common/tint.h"


namespace kovra::ui {

QLabel* makeLabel(const QString& text, const QFont& font, QWidget* parent, bool secondary) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  if (secondary) setTone(label, Tone::secondary);
  return label;
}

void reserveWidth(QLabel* label, const QString& widest) {
  const int width = QFontMetrics(label->font()).horizontalAdvance(widest) + 2;
  if (label->minimumWidth() != width) label->setMinimumWidth(width);
}

void fixToWidest(QLabel* label, const QString& widest) {
  const QFontMetrics fm(label->font());
  label->setFixedSize(fm.horizontalAdvance(widest) + 2, fm.height());
}

void setTextIfChanged(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

}  // namespace kovra::ui
