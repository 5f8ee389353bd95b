#include "ui/dashboard/label_style.h"

#include <QFontMetrics>

#include "ui/common/colors.h"

namespace kovra::ui {

QLabel* makeLabel(const QString& text, const QFont& font, QWidget* parent, bool secondary) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setFont(font);
  if (secondary) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, secondaryTextColor(parent ? parent->palette() : pal));
    label->setPalette(pal);
  }
  return label;
}

void reserveWidth(QLabel* label, const QString& widest) {
  const int width = QFontMetrics(label->font()).horizontalAdvance(widest) + 2;
  if (label->minimumWidth() != width) label->setMinimumWidth(width);
}

void setTextIfChanged(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

}  // namespace kovra::ui
