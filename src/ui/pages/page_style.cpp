#include "ui/pages/page_style.h"

#include <QFrame>

#include <algorithm>

#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"

namespace kovra::ui {

namespace {
QColor withAlpha(QColor c, double alpha) {
  c.setAlphaF(static_cast<float>(alpha));
  return c;
}
}  // namespace

QColor tertiaryTextColor(const QPalette& palette) { return withAlpha(palette.color(QPalette::WindowText), 0.42); }

void setPixelFont(QWidget* widget, int px, QFont::Weight weight) {
  QFont f = widget->font();
  f.setPixelSize(px);
  f.setWeight(weight);
  widget->setFont(f);
}

void applyRole(QLabel* label, TextRole role) {
  QPalette p = label->palette();
  const QPalette base = label->parentWidget() ? label->parentWidget()->palette() : QPalette();
  auto colour = [&](const QColor& c) {
    p.setColor(QPalette::WindowText, c);
    label->setPalette(p);
  };
  switch (role) {
    case TextRole::body: setPixelFont(label, PageMetrics::kBody); break;
    case TextRole::headline: setPixelFont(label, PageMetrics::kHeadline, QFont::DemiBold); break;
    case TextRole::title: setPixelFont(label, PageMetrics::kTitle, QFont::Bold); break;
    case TextRole::callout: setPixelFont(label, PageMetrics::kCallout); break;
    case TextRole::caption: setPixelFont(label, PageMetrics::kCaption); break;
    case TextRole::secondary:
      setPixelFont(label, PageMetrics::kBody);
      colour(secondaryTextColor(base));
      break;
    case TextRole::secondaryCallout:
      setPixelFont(label, PageMetrics::kCallout);
      colour(secondaryTextColor(base));
      break;
    case TextRole::secondaryCaption:
      setPixelFont(label, PageMetrics::kCaption);
      colour(secondaryTextColor(base));
      break;
    case TextRole::tertiary:
      setPixelFont(label, PageMetrics::kCallout);
      colour(tertiaryTextColor(base));
      break;
  }
}

QLabel* makeLabel(const QString& text, TextRole role, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  applyRole(label, role);
  return label;
}

QLabel* makeNote(const QString& text, TextRole role, QWidget* parent) {
  auto* label = makeLabel(text, role, parent);
  label->setWordWrap(true);
  label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  return label;
}

void setSymbol(QLabel* label, std::string_view symbol, const QColor& tint, int px) {
  label->setPixmap(symbolPixmap(symbol, tint, px, label->devicePixelRatioF()));
  label->setFixedSize(px, px);
}

QLabel* makeSymbolLabel(std::string_view symbol, const QColor& tint, int px, QWidget* parent) {
  auto* label = new QLabel(parent);
  setSymbol(label, symbol, tint, px);
  return label;
}

void setTextInFixedSize(QLabel* label, const QString& text, int minimumWidth) {
  if (label->text() != text) label->setText(text);
  // Measured here: the label's own size hint never falls below its fixed size.
  const QFontMetrics metrics = label->fontMetrics();
  const QSize textSize =
      metrics.boundingRect(QRect(0, 0, 4000, 400), static_cast<int>(label->alignment()), text).size();
  const QMargins margins = label->contentsMargins();
  const int around = 2 * label->margin();
  const QSize size(std::max(textSize.width() + margins.left() + margins.right() + around, minimumWidth),
                   std::max(textSize.height(), metrics.height()) + margins.top() + margins.bottom() + around);
  if (label->minimumSize() != size || label->maximumSize() != size) label->setFixedSize(size);
}

QWidget* makeDivider(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  QPalette p = line->palette();
  p.setColor(QPalette::WindowText, tertiaryTextColor(p));
  line->setPalette(p);
  line->setFixedHeight(1);
  return line;
}

}  // namespace kovra::ui
