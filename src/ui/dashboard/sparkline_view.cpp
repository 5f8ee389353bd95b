#include "ui/dashboard/sparkline_view.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/common/colors.h"

namespace kovra::ui {

SparklineView::SparklineView(int height, QWidget* parent) : QWidget(parent) {
  setFixedHeight(height);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setAccessibleName(QStringLiteral("Son bir dakikanın grafiği"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SparklineView::setSegments(const std::vector<ArayuzSparkSegment>& segments) {
  if (segments == segments_) return;
  segments_ = segments;
  update();
}

void SparklineView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal lineWidth = 1.5;
  const QRectF frame = QRectF(rect()).adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth);
  // Baseline, so an empty minute still reads as a chart.
  p.setPen(QPen(paletteColor(ArayuzPalette::track, palette()), 1));
  p.drawLine(QPointF(frame.left(), frame.bottom()), QPointF(frame.right(), frame.bottom()));
  auto map = [&](const ArayuzUnitPoint& u) {
    return QPointF(frame.left() + u.x * frame.width(), frame.bottom() - u.y * frame.height());
  };
  p.setClipRect(rect());
  for (const auto& segment : segments_) {
    if (segment.points.empty()) continue;
    const QColor colour = paletteColor(segment.color, palette());
    QPainterPath line;
    line.moveTo(map(segment.points.front()));
    for (size_t i = 1; i < segment.points.size(); ++i) line.lineTo(map(segment.points[i]));
    if (segment.points.size() == 1) {
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(map(segment.points.front()), lineWidth, lineWidth);
      continue;
    }
    QPainterPath area = line;
    area.lineTo(QPointF(map(segment.points.back()).x(), frame.bottom()));
    area.lineTo(QPointF(map(segment.points.front()).x(), frame.bottom()));
    area.closeSubpath();
    QColor fill = colour;
    fill.setAlphaF(0.12f);
    p.fillPath(area, fill);
    p.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
  }
}

}  // namespace kovra::ui
