#include "ui/pages/detail_components.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "core/localize.h"
#include "present/overrides.h"
#include "ui/dashboard/status_badge_view.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/look.h"
#include "ui/common/symbols.h"
#include "ui/pages/page_style.h"
#include "ui/pages/row_column.h"

namespace kovra::ui {

// ---- scaffold ----------------------------------------------------------------------------------

DetailScaffoldView::DetailScaffoldView(const QString& title, QWidget* parent) : QScrollArea(parent) {
  setWindowTitle(title);
  setAccessibleName(title);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* canvas = new QWidget(this);
  canvas->setObjectName("arayuz-sayfa");
  auto* outer = new QHBoxLayout(canvas);
  outer->setContentsMargins(PageMetrics::kPageSpacing, PageMetrics::kPageSpacing, PageMetrics::kPageSpacing,
                            PageMetrics::kPageSpacing);
  column_ = new QWidget(canvas);
  column_->setMaximumWidth(PageMetrics::kPageWidth);
  column_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  columnLayout_ = new QVBoxLayout(column_);
  columnLayout_->setContentsMargins(0, 0, 0, 0);
  columnLayout_->setSpacing(PageMetrics::kPageSpacing);
  // Leading-aligned: the column takes the width up to its maximum, the stretch the rest.
  outer->addWidget(column_, 1);
  outer->addStretch(0);

  marker_ = new QWidget(column_);
  marker_->setObjectName(qs(ArayuzOpenOverride::kBottomAnchor));
  marker_->setFixedHeight(1);
  columnLayout_->addWidget(marker_);
  columnLayout_->addStretch(1);
  setWidget(canvas);
}

void DetailScaffoldView::addContent(QWidget* widget) {
  // Everything goes above the bottom marker.
  columnLayout_->insertWidget(columnLayout_->indexOf(marker_), widget);
}

void DetailScaffoldView::scrollToBottom() {
  widget()->adjustSize();
  ensureWidgetVisible(marker_, 0, 0);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void DetailScaffoldView::showEvent(QShowEvent* event) {
  QScrollArea::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  if (ArayuzOpenOverride::scrollsToBottom()) {
    // After the first layout pass, when the content has its height.
    QTimer::singleShot(0, this, [this] { scrollToBottom(); });
  }
}

// ---- header ------------------------------------------------------------------------------------

DetailHeaderView::DetailHeaderView(CardKind card, QWidget* valueView, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);
  auto* titleRow = new QHBoxLayout();
  titleRow->setSpacing(10);
  auto* title = makeLabel(qs(ArayuzCardInfo::title(card)), TextRole::title, this);
  title->setAccessibleName(title->text());
  QFont badgeFont = font();
  badgeFont.setPixelSize(PageMetrics::kCallout);
  badgeFont.setWeight(QFont::DemiBold);
  badge_ = new StatusBadgeView(14, badgeFont, this);
  titleRow->addWidget(title);
  titleRow->addWidget(badge_);
  titleRow->addStretch(1);
  column->addLayout(titleRow);
  if (valueView) column->addWidget(valueView);
  // The sentence changes with the readings (it may name a percentage); inside a row column the
  // page lays out again only when its height changes, not on every new text.
  auto* sentenceBox = new RowColumn(this);
  sentence_ = makeNote(QString(), TextRole::body, sentenceBox);
  sentenceBox->setRows({sentence_});
  column->addWidget(sentenceBox);
}

void DetailHeaderView::setVerdict(const Verdict& verdict) {
  badge_->setSeverity(verdict.severity);
  setTextIfChanged(sentence_, qs(verdict.sentence));
}

// ---- sections and rows -------------------------------------------------------------------------

DetailSectionView::DetailSectionView(const QString& title, QWidget* accessory, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);
  titleRow_ = new QHBoxLayout();
  title_ = makeLabel(title, TextRole::headline, this);
  titleRow_->addWidget(title_);
  titleRow_->addStretch(1);
  column->addLayout(titleRow_);
  if (accessory) setAccessory(accessory);
  content_ = new QVBoxLayout();
  content_->setSpacing(6);
  column->addLayout(content_);
  setAccessibleName(title);
}

void DetailSectionView::addContent(QWidget* widget) { content_->addWidget(widget); }

void DetailSectionView::setAccessory(QWidget* accessory) {
  accessory->setParent(this);
  titleRow_->addWidget(accessory);
}

KeyValueRowView::KeyValueRowView(const QString& label, const QString& value, QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  label_ = makeLabel(label, TextRole::body, this);
  value_ = makeLabel({}, TextRole::body, this);
  value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setTextInFixedSize(value_, value);
  row->addWidget(label_);
  row->addStretch(1);
  row->addWidget(value_);
  label_->setBuddy(value_);
}

void KeyValueRowView::setValue(const QString& value) {
  if (value_->text() == value) return;
  setTextInFixedSize(value_, value);
  value_->setAccessibleName(label_->text() + ": " + value);
}

// ---- figures -----------------------------------------------------------------------------------

namespace {
// The width a figure keeps for its template text (none without one).
int reservedWidth(const QLabel* label, const QString& widthTemplate) {
  return widthTemplate.isEmpty() ? 0 : label->fontMetrics().horizontalAdvance(widthTemplate) + 2;
}
}  // namespace

BigValueView::BigValueView(const QString& primary, const QString& secondary, int pixelSize,
                           const QString& widthTemplate, QWidget* parent)
    : QWidget(parent) {
  // Placed by hand rather than by a layout: the caption follows the figure's text at once, while
  // the width the view asks for (the template's, or the text's when wider) stays put as digits
  // change, so neither leaves a hole nor lays the page out again.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  primary_ = new QLabel(this);
  primary_->setTextFormat(Qt::PlainText);
  primary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setPixelFont(primary_, pixelSize, QFont::DemiBold);
  primary_->setText(primary);
  secondary_ = makeLabel(secondary, TextRole::secondary, this);
  secondary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  secondary_->setVisible(!secondary.isEmpty());
  reserved_ = reservedWidth(primary_, widthTemplate);
  place();
}

QSize BigValueView::sizeHint() const { return hint_; }
QSize BigValueView::minimumSizeHint() const { return hint_; }

void BigValueView::place() {
  const QFontMetrics figure = primary_->fontMetrics();
  const int textWidth = figure.horizontalAdvance(primary_->text()) + 2;
  primary_->setGeometry(0, 0, textWidth, figure.height());
  QSize hint(std::max(textWidth, reserved_), figure.height());
  if (!secondary_->text().isEmpty()) {
    // On the figure's baseline, right after its text.
    const QFontMetrics caption = secondary_->fontMetrics();
    const int drop = std::max(0, figure.ascent() - caption.ascent());
    const int width = caption.horizontalAdvance(secondary_->text()) + 2;
    secondary_->setGeometry(textWidth + Look::kGap2, drop, width, caption.height());
    hint = QSize(hint.width() + Look::kGap2 + width, std::max(hint.height(), drop + caption.height()));
  }
  if (hint != hint_) {
    hint_ = hint;
    updateGeometry();
  }
}

void BigValueView::setPrimary(const QString& text) {
  if (primary_->text() == text) return;
  primary_->setText(text);
  place();
}

void BigValueView::setSecondary(const QString& text) {
  if (secondary_->text() == text) return;
  secondary_->setText(text);
  secondary_->setVisible(!text.isEmpty());
  place();
}

void BigValueView::setWidthTemplate(const QString& text) {
  reserved_ = reservedWidth(primary_, text);
  place();
}

QString directionTitle(ArayuzRateDirection direction) {
  return qs(localized(direction == ArayuzRateDirection::download ? "İndirme" : "Yükleme"));
}
ArayuzPalette directionColour(ArayuzRateDirection direction) {
  return direction == ArayuzRateDirection::download ? ArayuzPalette::download : ArayuzPalette::upload;
}
const char* directionSymbol(ArayuzRateDirection direction) {
  return direction == ArayuzRateDirection::download ? "arrow.down" : "arrow.up";
}

RateColumnView::RateColumnView(ArayuzRateDirection direction, const QString& text, int pixelSize,
                               const QString& widthTemplate, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  auto* titleRow = new QHBoxLayout();
  titleRow->setSpacing(4);
  titleRow->addWidget(makeSymbolLabel(directionSymbol(direction), fromPalette(directionColour(direction)), 13, this));
  auto* title = makeLabel(directionTitle(direction), TextRole::secondary, this);
  titleRow->addWidget(title);
  titleRow->addStretch(1);
  column->addLayout(titleRow);
  value_ = new QLabel(this);
  value_->setTextFormat(Qt::PlainText);
  setPixelFont(value_, pixelSize, QFont::DemiBold);
  reserved_ = reservedWidth(value_, widthTemplate);
  setTextInFixedSize(value_, text, reserved_);
  column->addWidget(value_);
  title->setBuddy(value_);
}

void RateColumnView::setText(const QString& text) { setTextInFixedSize(value_, text, reserved_); }
void RateColumnView::setWidthTemplate(const QString& text) {
  reserved_ = reservedWidth(value_, text);
  setTextInFixedSize(value_, value_->text(), reserved_);
}

// ---- bars and boxes ----------------------------------------------------------------------------

ProportionBarView::ProportionBarView(std::optional<double> fraction, ArayuzPalette colour, int height,
                                     QWidget* parent)
    : QWidget(parent), fraction_(fraction), colour_(colour), height_(height) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(height);
}

void ProportionBarView::setFraction(std::optional<double> fraction) {
  if (fraction == fraction_) return;
  fraction_ = fraction;
  update();
}

void ProportionBarView::setColour(ArayuzPalette colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void ProportionBarView::setFillColour(std::optional<QColor> colour) {
  if (colour == fillOverride_) return;
  fillOverride_ = colour;
  update();
}

QSize ProportionBarView::sizeHint() const { return {120, height_}; }
QSize ProportionBarView::minimumSizeHint() const { return {24, height_}; }

void ProportionBarView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QRectF r = rect();
  const qreal radius = r.height() / 2;
  painter.setBrush(paletteColor(ArayuzPalette::track, palette()));
  painter.drawRoundedRect(r, radius, radius);
  if (!fraction_ || !std::isfinite(*fraction_)) return;
  const double f = std::clamp(*fraction_, 0.0, 1.0);
  if (f <= 0) return;
  QPainterPath clip;
  clip.addRoundedRect(r, radius, radius);
  painter.setClipPath(clip);
  painter.setBrush(fillOverride_ ? *fillOverride_ : paletteColor(colour_, palette()));
  painter.drawRect(QRectF(r.left(), r.top(), r.width() * f, r.height()));
}

NoticeBoxView::NoticeBoxView(const char* symbol, ArayuzPalette tint, const QString& text, QWidget* parent)
    : QFrame(parent), tint_(tint) {
  column_ = new QVBoxLayout(this);
  column_->setContentsMargins(Look::kGap3, Look::kGap3, Look::kGap3, Look::kGap3);
  column_->setSpacing(Look::kGap2);
  auto* row = new QHBoxLayout();
  row->setSpacing(Look::kGap2);
  row->addWidget(makeSymbolLabel(symbol, fromPalette(tint), 16, this), 0, Qt::AlignTop);
  text_ = makeNote(text, TextRole::callout, this);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  row->addWidget(text_, 1);
  column_->addLayout(row);
  setAccessibleName(text);
}

void NoticeBoxView::addBelow(QWidget* widget) { column_->addWidget(widget); }

void NoticeBoxView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor tint = paletteColor(tint_, palette());
  QColor fill = tint;
  fill.setAlphaF(0.12f);
  QColor border = tint;
  border.setAlphaF(0.35f);
  painter.setPen(QPen(border, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), Look::kRadius, Look::kRadius);
}

}  // namespace kovra::ui
