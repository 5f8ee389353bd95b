#include "ui/common/symbols.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QString>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

// The resource lives in a static library; registering it by hand keeps the linker from dropping it.
static void initSymbolResources() { Q_INIT_RESOURCE(symbols); }

namespace kovra::ui {
namespace {

constexpr auto kFallback = "fallback";

QString resourcePath(std::string_view name) {
  return QStringLiteral(":/kovra/symbols/") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
         QStringLiteral(".svg");
}

// One parsed drawing per name, kept for the life of the process (there are a few dozen). Unknown
// names map to the fallback drawing; null only when even that is missing.
QSvgRenderer* renderer(std::string_view name) {
  static bool initialised = (initSymbolResources(), true);
  (void)initialised;
  static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
  const QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  auto it = renderers.find(key);
  if (it != renderers.end()) return it->get();
  std::shared_ptr<QSvgRenderer> r;
  if (QFile::exists(resourcePath(name))) {
    r = std::make_shared<QSvgRenderer>(resourcePath(name));
    if (!r->isValid()) r.reset();
  }
  if (!r && name != kFallback) {
    renderer(kFallback);
    r = renderers.value(QString::fromLatin1(kFallback));
  }
  renderers.insert(key, r);
  return r.get();
}

QImage render(std::string_view name, const QColor& tint, int devicePx) {
  QImage image(devicePx, devicePx, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer* r = renderer(name);
  if (!r) {
    // Missing resources: still draw something visible rather than nothing.
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(tint, std::max(1.0, devicePx / 12.0)));
    p.drawEllipse(QRectF(image.rect()).adjusted(devicePx * 0.15, devicePx * 0.15, -devicePx * 0.15, -devicePx * 0.15));
    return image;
  }
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  r->render(&p, QRectF(0, 0, devicePx, devicePx));
  // Keep the drawing's coverage, replace its colour.
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(image.rect(), tint);
  return image;
}

class SymbolIconEngine final : public QIconEngine {
 public:
  SymbolIconEngine(std::string name, QColor tint) : name_(std::move(name)), tint_(tint) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const int side = std::min(rect.width(), rect.height());
    QPixmap pm = symbolPixmap(name_, colourFor(mode), side, dpr);
    const QPoint topLeft(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
    painter->drawPixmap(topLeft, pm);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    return symbolPixmap(name_, colourFor(mode), std::min(size.width(), size.height()), 1.0);
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    // `size` is already in device pixels here.
    const int side = std::min(size.width(), size.height());
    return symbolPixmap(name_, colourFor(mode), static_cast<int>(std::lround(side / std::max(scale, 1.0))),
                        std::max(scale, 1.0));
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }

  QIconEngine* clone() const override { return new SymbolIconEngine(name_, tint_); }
  QString key() const override { return QStringLiteral("kovra-symbol"); }
  QString iconName() override { return QString::fromStdString(name_); }

 private:
  QColor colourFor(QIcon::Mode mode) const {
    if (mode != QIcon::Disabled) return tint_;
    QColor c = tint_;
    c.setAlphaF(c.alphaF() * 0.35f);
    return c;
  }

  std::string name_;
  QColor tint_;
};

}  // namespace

bool hasSymbol(std::string_view name) {
  static bool initialised = (initSymbolResources(), true);
  (void)initialised;
  return QFile::exists(resourcePath(name));
}

QPixmap symbolPixmap(std::string_view name, const QColor& tint, int px, qreal dpr) {
  if (px <= 0) return {};
  if (!(dpr > 0) || !std::isfinite(dpr)) dpr = 1.0;
  const int devicePx = std::max(1, static_cast<int>(std::lround(px * dpr)));
  const QString key = QStringLiteral("kovra-symbol:%1:%2:%3").arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
                          .arg(tint.rgba(), 8, 16, QLatin1Char('0'))
                          .arg(devicePx);
  QPixmap pm;
  if (!QPixmapCache::find(key, &pm)) {
    pm = QPixmap::fromImage(render(name, tint, devicePx));
    QPixmapCache::insert(key, pm);
  }
  pm.setDevicePixelRatio(dpr);
  return pm;
}

QIcon symbolIcon(std::string_view name, const QColor& tint) {
  return QIcon(new SymbolIconEngine(std::string(name), tint));
}

QIcon adaptiveSymbolIcon(std::string_view name) {
  QIcon icon = symbolIcon(name, QColor(128, 128, 128));
  icon.setIsMask(true);
  return icon;
}

}  // namespace kovra::ui
