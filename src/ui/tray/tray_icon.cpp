#include "ui/tray/tray_icon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kovra::ui {

namespace {

const QColor kLightInk(0xf2, 0xf2, 0xf2);
const QColor kDarkInk(0x23, 0x26, 0x29);

struct Inks {
  QColor ink;
  QColor rim;
  QColor track;
};

// Light ink with a dark rim reads on any panel; on a panel known to be light the ink is dark and
// needs no rim.
Inks inksFor(bool darkInk) {
  if (darkInk) return {kDarkInk, Qt::transparent, QColor(0x23, 0x26, 0x29, 70)};
  return {kLightInk, QColor(0, 0, 0, 150), QColor(128, 128, 128, 210)};
}

// Strokes `path` twice: a wider rim, then the ink on top.
void strokeWithRim(QPainter& p, const QPainterPath& path, qreal width, const Inks& inks, Qt::PenCapStyle cap) {
  if (inks.rim.alpha() > 0) p.strokePath(path, QPen(inks.rim, width + 2, Qt::SolidLine, cap, Qt::RoundJoin));
  p.strokePath(path, QPen(inks.ink, width, Qt::SolidLine, cap, Qt::RoundJoin));
}

// A gauge rather than a plain ring: a 270° track open at the bottom, filled clockwise from its
// lower left end. A small share still reads as a low reading, never as a busy spinner.
constexpr qreal kGaugeStart = 225;  // degrees, counter-clockwise from three o'clock
constexpr qreal kGaugeSweep = 270;

void drawRing(QPainter& p, int size, int percent, const Inks& inks) {
  const qreal width = std::max<qreal>(2.0, size * 0.16);
  const qreal inset = width / 2 + 1.5;
  const QRectF box(inset, inset, size - 2 * inset, size - 2 * inset);

  QPainterPath track;
  track.arcMoveTo(box, kGaugeStart);
  track.arcTo(box, kGaugeStart, -kGaugeSweep);
  p.strokePath(track, QPen(inks.track, width, Qt::SolidLine, Qt::RoundCap));

  // Never less than a dot at the start, so an idle machine still shows where the gauge begins.
  const int share = std::clamp(percent, 0, 100);
  const qreal sweep = std::max<qreal>(kGaugeSweep * share / 100.0, 1.0);
  QPainterPath arc;
  arc.arcMoveTo(box, kGaugeStart);
  arc.arcTo(box, kGaugeStart, -sweep);
  strokeWithRim(p, arc, width, inks, Qt::RoundCap);
}

void drawTrace(QPainter& p, int size, const Inks& inks) {
  static constexpr QPointF kPoints[] = {{0.06, 0.56}, {0.30, 0.56}, {0.40, 0.22}, {0.53, 0.84},
                                        {0.63, 0.42}, {0.71, 0.56}, {0.94, 0.56}};
  QPainterPath path;
  path.moveTo(kPoints[0] * size);
  for (const auto& point : kPoints) path.lineTo(point * size);
  strokeWithRim(p, path, std::max<qreal>(1.6, size / 10.0), inks, Qt::RoundCap);
}

}  // namespace

QImage trayIconImage(const TrayIconContent& content, int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const Inks inks = inksFor(content.darkInk);
  if (content.memoryPercent) {
    drawRing(p, size, *content.memoryPercent, inks);
  } else {
    drawTrace(p, size, inks);
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
