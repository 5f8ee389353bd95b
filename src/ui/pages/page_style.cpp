#include "ui/pages/page_style.h"

#include <QFrame>

#include <algorithm>

#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"

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
  switch (role) {
    case TextRole::body: setPixelFont(label, PageMetrics::kBody); break;
    case TextRole::headline: setPixelFont(label, PageMetrics::kHeadline, QFont::DemiBold); break;
    case TextRole::title: setPixelFont(label, PageMetrics::kTitle, QFont::Bold); break;
    case TextRole::callout: setPixelFont(label, PageMetrics::kCallout); break;
    case TextRole::caption: setPixelFont(label, PageMetrics::kCaption); break;
    case TextRole::secondary:
      setPixelFont(label, PageMetrics::kBody);
      setTone(label, Tone::secondary);
      break;
    case TextRole::secondaryCallout:
      setPixelFont(label, PageMetrics::kCallout);
      setTone(label, Tone::secondary);
      break;
    case TextRole::secondaryCaption:
      setPixelFont(label, PageMetrics::kCaption);
      setTone(label, Tone::secondary);
      break;
    case TextRole::tertiary:
      setPixelFont(label, PageMetrics::kCallout);
      setTone(label, Tone::tertiary);
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

void setSymbol(QLabel* label, std::string_view symbol, PaletteColor tint, int px) {
  showSymbol(label, symbol, std::move(tint), px);
}

QLabel* makeSymbolLabel(std::string_view symbol, PaletteColor tint, int px, QWidget* parent) {
  auto* label = new QLabel(parent);
  setSymbol(label, symbol, std::move(tint), px);
  return label;
}

PaletteColor fromPalette(ArayuzPalette colour) {
  return [colour](const QPalette& p) { return paletteColor(colour, p); };
}

PaletteColor inTone(Tone tone) {
  return [tone](const QPalette& p) { return toneColor(tone, p); };
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
  // As faint as the chart's grid: it separates rows, it does not frame them.
  setTextColor(line, [](const QPalette& p) { return paletteColor(ArayuzPalette::cardBorder, p); });
  line->setFixedHeight(1);
  return line;
}

}  // namespace kovra::ui
