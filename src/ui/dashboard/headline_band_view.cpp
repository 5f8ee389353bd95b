#include "ui/dashboard/headline_band_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "present/dashboard_model.h"
#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/symbols.h"

namespace kovra::ui {

HeadlineBandView::HeadlineBandView(ArayuzCardSize size, bool selects, QWidget* parent)
    : CardButton(size, parent),
      selects_(selects),
      symbol_(new QLabel(this)),
      sentence_(new QLabel(this)),
      chevron_(new QLabel(this)) {
  const CardMetrics& m = metrics();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(m.padding, m.compact() ? 8 : 12, m.padding, m.compact() ? 8 : 12);
  layout->setSpacing(m.compact() ? 8 : 10);
  const int symbolPx = m.compact() ? 18 : 24;
  symbol_->setFixedSize(symbolPx, symbolPx);
  sentence_->setWordWrap(true);
  sentence_->setTextFormat(Qt::PlainText);
  QFont f = m.compact() ? m.bodyFont(font()) : m.titleFont(font());
  if (m.compact()) f.setWeight(QFont::DemiBold);
  sentence_->setFont(f);
  sentence_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  chevron_->setFixedSize(m.symbolPx, m.symbolPx);
  layout->addWidget(symbol_, 0, Qt::AlignVCenter);
  layout->addWidget(sentence_, 1);
  layout->addWidget(chevron_, 0, Qt::AlignVCenter);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (clickable() && verdict_.card) Q_EMIT cardSelected(*verdict_.card);
  });
  setVerdict(Verdict{});
}

QString HeadlineBandView::sentenceText() const { return sentence_->text(); }

void HeadlineBandView::setVerdict(const Verdict& verdict) {
  if (initialised_ && verdict == verdict_) return;
  initialised_ = true;
  verdict_ = verdict;
  const QString sentence = qstr(verdict.sentence);
  if (sentence_->text() != sentence) sentence_->setText(sentence);
  setText(sentence);
  setClickable(selects_ && verdict.card.has_value());
  restyle();
  updateGeometry();
}

void HeadlineBandView::changeEvent(QEvent* event) {
  CardButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) restyle();
}

void HeadlineBandView::restyle() {
  const auto style = ArayuzSeverityStyle::of(verdict_.severity);
  const int px = symbol_->width();
  // Neutral has no symbol.
  symbol_->setVisible(style.has_value());
  if (style)
    symbol_->setPixmap(symbolPixmap(style->symbol, paletteColor(style->colour, palette()), px, devicePixelRatioF()));
  chevron_->setVisible(clickable());
  if (clickable())
    chevron_->setPixmap(
        symbolPixmap("chevron.right", secondaryTextColor(palette()), chevron_->width(), devicePixelRatioF()));
}

StoreHeadlineBandView::StoreHeadlineBandView(const ArayuzDashboardModel& model, ArayuzCardSize size, bool selects,
                                             QWidget* parent)
    : HeadlineBandView(size, selects, parent) {
  setVerdict(model.headline().value());
  token_ = model.headline().subscribe([this](const Verdict& v) { setVerdict(v); });
}

}  // namespace kovra::ui
