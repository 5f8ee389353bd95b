#include "ui/tray/tray_icon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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
  return {kLightInk, QColor(0, 0, 0, 210), QColor(128, 128, 128, 210)};
}

// Strokes `path` twice: a wider rim, then the ink on top.
void strokeWithRim(QPainter& p, const QPainterPath& path, qreal width, const Inks& inks, Qt::PenCapStyle cap) {
  if (inks.rim.alpha() > 0) p.strokePath(path, QPen(inks.rim, width + 2, Qt::SolidLine, cap, Qt::RoundJoin));
  p.strokePath(path, QPen(inks.ink, width, Qt::SolidLine, cap, Qt::RoundJoin));
}

// A gauge rather than a plain ring: a 270° track open at the bottom, filled clockwise from its
// lower left end. A small share still reads as a low reading, never as a busy spinner.
constexpr double kGaugeStart = 225;  // degrees, counter-clockwise from three o'clock
constexpr double kGaugeSweep = 270;
constexpr double kPi = 3.14159265358979323846;

// How far a point is from an arc of `radius` around the centre that starts at kGaugeStart and
// runs `sweep` degrees clockwise, round ends included.
double distanceToArc(double x, double y, double radius, double sweep) {
  const double angle = std::atan2(-y, x) * 180 / kPi;
  const double along = std::fmod(kGaugeStart - angle + 720, 360);
  if (along <= sweep) return std::abs(std::hypot(x, y) - radius);
  const auto endDistance = [&](double at) {
    const double a = (kGaugeStart - at) * kPi / 180;
    return std::hypot(x - radius * std::cos(a), y + radius * std::sin(a));
  };
  return std::min(endDistance(0), endDistance(sweep));
}

// A source-over blend of `colour` with `coverage` onto a premultiplied pixel.
void blend(double (&pixel)[4], const QColor& colour, double coverage) {
  const double a = colour.alphaF() * coverage;
  pixel[0] = colour.redF() * a + pixel[0] * (1 - a);
  pixel[1] = colour.greenF() * a + pixel[1] * (1 - a);
  pixel[2] = colour.blueF() * a + pixel[2] * (1 - a);
  pixel[3] = a + pixel[3] * (1 - a);
}

// Drawn pixel by pixel (4×4 samples each) rather than with the painter: the painter hands the
// spans of an antialiased stroke to its helper threads and wakes them, and this picture is drawn
// whenever the memory share changes.
void drawRing(QImage& image, int percent, const Inks& inks) {
  const int size = image.width();
  const double width = std::max(2.0, size * 0.16);
  const double radius = (size - 2 * (width / 2 + 1.5)) / 2;
  const double sweep = std::max(kGaugeSweep * std::clamp(percent, 0, 100) / 100.0, 1.0);
  const bool rim = inks.rim.alpha() > 0;
  constexpr int kSamples = 4;
  for (int py = 0; py < size; ++py) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));
    for (int px = 0; px < size; ++px) {
      int track = 0, rimHits = 0, ink = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = px + (sx + 0.5) / kSamples - size / 2.0;
          const double y = py + (sy + 0.5) / kSamples - size / 2.0;
          if (distanceToArc(x, y, radius, kGaugeSweep) <= width / 2) ++track;
          const double used = distanceToArc(x, y, radius, sweep);
          if (rim && used <= width / 2 + 1) ++rimHits;
          if (used <= width / 2) ++ink;
        }
      }
      if (track + rimHits + ink == 0) continue;
      double pixel[4] = {0, 0, 0, 0};
      constexpr double kAll = kSamples * kSamples;
      blend(pixel, inks.track, track / kAll);
      if (rim) blend(pixel, inks.rim, rimHits / kAll);
      blend(pixel, inks.ink, ink / kAll);
      const double a = pixel[3];
      const auto channel = [a](double premultiplied) { return static_cast<int>(std::lround(premultiplied / a * 255)); };
      line[px] = a > 0 ? qRgba(channel(pixel[0]), channel(pixel[1]), channel(pixel[2]), static_cast<int>(std::lround(a * 255)))
                       : 0;
    }
  }
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
  const Inks inks = inksFor(content.darkInk);
  if (content.memoryPercent) {
    drawRing(image, *content.memoryPercent, inks);
    return image;
  }
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  drawTrace(p, size, inks);
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
