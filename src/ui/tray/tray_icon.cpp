#include "ui/tray/tray_icon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kovra::ui {

namespace {

const QColor kInk(0xf2, 0xf2, 0xf2);
const QColor kRim(0, 0, 0, 150);

// Strokes `path` twice: a wider dark rim, then the light ink on top.
void strokeWithRim(QPainter& p, const QPainterPath& path, qreal width, const QColor& ink) {
  QPen rim(kRim, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.strokePath(path, rim);
  QPen pen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.strokePath(path, pen);
}

void drawRing(QPainter& p, int size, int percent) {
  const qreal width = std::max<qreal>(2.0, size * 0.16);
  const qreal inset = width / 2 + 1.5;
  const QRectF box(inset, inset, size - 2 * inset, size - 2 * inset);

  // The free share: a mid grey that shows on light and dark panels alike.
  QPainterPath track;
  track.addEllipse(box);
  p.strokePath(track, QPen(QColor(128, 128, 128, 210), width));

  // The used share: light ink with a dark rim, clockwise from the top.
  const int share = std::clamp(percent, 0, 100);
  if (share == 0) return;
  QPainterPath arc;
  arc.arcMoveTo(box, 90);
  arc.arcTo(box, 90, -3.6 * share);
  const Qt::PenCapStyle cap = share == 100 ? Qt::FlatCap : Qt::RoundCap;
  p.strokePath(arc, QPen(kRim, width + 2, Qt::SolidLine, cap));
  p.strokePath(arc, QPen(kInk, width, Qt::SolidLine, cap));
}

void drawTrace(QPainter& p, int size) {
  static constexpr QPointF kPoints[] = {{0.06, 0.56}, {0.30, 0.56}, {0.40, 0.22}, {0.53, 0.84},
                                        {0.63, 0.42}, {0.71, 0.56}, {0.94, 0.56}};
  QPainterPath path;
  path.moveTo(kPoints[0] * size);
  for (const auto& point : kPoints) path.lineTo(point * size);
  strokeWithRim(p, path, std::max<qreal>(1.6, size / 10.0), kInk);
}

}  // namespace

QImage trayIconImage(const TrayIconContent& content, int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  if (content.memoryPercent) {
    drawRing(p, size, *content.memoryPercent);
  } else {
    drawTrace(p, size);
  }
  p.end();
  return image;
}

const std::vector<QImage>& TrayIconPictures::pictures(const TrayIconContent& content) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->first != content) continue;
    if (it != kept_.begin()) {
      auto entry = std::move(*it);
      kept_.erase(it);
      kept_.push_front(std::move(entry));
    }
    return kept_.front().second;
  }
  std::vector<QImage> images;
  images.reserve(kTrayIconSizes.size());
  for (int size : kTrayIconSizes) images.push_back(trayIconImage(content, size));
  ++drawn_;
  kept_.emplace_front(content, std::move(images));
  if (kept_.size() > kKept) kept_.pop_back();
  return kept_.front().second;
}

}  // namespace kovra::ui
