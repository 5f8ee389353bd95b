#include "ui/dashboard/card_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "present/dashboard_model.h"
#include "present/palette.h"
#include "ui/dashboard/label_style.h"
#include "ui/dashboard/sparkline_view.h"
#include "ui/dashboard/status_badge_view.h"

namespace kovra::ui {
CardView::CardView(const CardRow& row, const ArayuzDashboardModel& model, ArayuzCardSize size, QWidget* parent)
    : CardButton(size, parent), card_(row.card) {
  const CardKind card = row.card;
  const CardMetrics& m = metrics();
  const QString title = qstr(ArayuzCardInfo::title(card));
  setText(title);
  setObjectName(QStringLiteral("card-") + qstr(rawValue(card)));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(m.padding, m.padding, m.padding, m.padding);
  layout->setSpacing(m.spacing);

  auto* header = new QHBoxLayout;
  header->setSpacing(6);
  title_ = makeLabel(title, m.titleFont(font()), this);
  QFont badgeFont = m.captionFont(font());
  badgeFont.setWeight(QFont::DemiBold);
  badge_ = new StatusBadgeView(m.compact() ? 12 : 14, badgeFont, this);
  header->addWidget(title_);
  header->addStretch(1);
  header->addWidget(badge_);
  layout->addLayout(header);

  // The cards of a row share their height; what they have spare goes between the value area and
  // the bottom part (sparkline or bar, then the verdict in a box of two lines), so the sparklines
  // of a row line up and a card without one has its bar on the same line.
  valueArea_ = row.valueArea(model, m, this);
  if (const auto& kind = row.spark) {
    layout->addWidget(valueArea_);
    layout->addStretch(1);
    spark_ = new SparklineView(m.sparkHeight, this);
    spark_->setSegments(model.spark(*kind).value());
    layout->addWidget(spark_);
    tokens_.push_back(
        model.spark(*kind).subscribe([this](const std::vector<ArayuzSparkSegment>& s) { spark_->setSegments(s); }));
  } else {
    layout->addWidget(valueArea_, 1);
  }

  verdict_ = makeLabel(QString(), m.bodyFont(font()), this);
  verdict_->setWordWrap(true);
  verdict_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  verdict_->setMinimumHeight(2 * verdict_->fontMetrics().lineSpacing());
  verdict_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(verdict_);

  auto applyVerdict = [this](const Verdict& v) {
    badge_->setSeverity(v.severity);
    setTextIfChanged(verdict_, qstr(v.sentence));
  };
  applyVerdict(model.verdict(card).value());
  tokens_.push_back(model.verdict(card).subscribe(applyVerdict));

  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  connect(this, &QAbstractButton::clicked, this, [this] { Q_EMIT cardSelected(card_); });
}

}  // namespace kovra::ui
