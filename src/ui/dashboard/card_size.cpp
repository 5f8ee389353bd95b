#include "ui/dashboard/card_size.h"

namespace kovra::ui {
namespace {

QFont scaled(const QFont& base, double factor, QFont::Weight weight) {
  QFont f = base;
  const double points = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
  f.setPointSizeF(points * factor);
  f.setWeight(weight);
  return f;
}

}  // namespace

CardMetrics CardMetrics::of(ArayuzCardSize size) {
  CardMetrics m;
  m.size = size;
  if (size == ArayuzCardSize::compact) {
    m.padding = Look::kGap3;
    m.spacing = Look::kGap1;
    m.symbolPx = 14;
    m.sparkHeight = 26;
  }
  return m;
}

QFont CardMetrics::titleFont(const QFont& base) const {
  return scaled(base, compact() ? 1.0 : 1.12, QFont::DemiBold);
}
QFont CardMetrics::bigFont(const QFont& base) const {
  return scaled(base, compact() ? 1.5 : 2.1, QFont::DemiBold);
}
QFont CardMetrics::bodyFont(const QFont& base) const { return scaled(base, compact() ? 0.92 : 1.0, QFont::Normal); }
QFont CardMetrics::captionFont(const QFont& base) const {
  return scaled(base, compact() ? 0.82 : 0.88, QFont::Normal);
}

}  // namespace kovra::ui
