#include "ui/dashboard/fill_bar_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "ui/common/colors.h"

namespace kovra::ui {

FillBarView::FillBarView(int height, QWidget* parent) : QWidget(parent) {
  setFixedHeight(height);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FillBarView::setFraction(double fraction) {
  if (!std::isfinite(fraction)) fraction = 0;
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (fraction == fraction_) return;
  fraction_ = fraction;
  update();
}

void FillBarView::setColor(const QColor& colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void FillBarView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = rect();
  const qreal radius = r.height() / 2;
  QPainterPath track;
  track.addRoundedRect(r, radius, radius);
  p.fillPath(track, paletteColor(ArayuzPalette::track, palette()));
  if (fraction_ <= 0) return;
  p.setClipPath(track);
  p.fillRect(QRectF(r.left(), r.top(), r.width() * fraction_, r.height()), colour_);
}

}  // namespace kovra::ui
