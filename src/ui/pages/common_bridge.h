#pragma once
// Symbols, palette colours and the shared icon cache for the pages. Uses the common front-end
// helpers when they are built; until then a plain stand-in with the same names.

#if __has_include("ui/common/symbols.h") && __has_include("ui/common/colors.h") && \
    __has_include("ui/common/icon_cache.h")
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#else
#include <QColor>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <string>
#include <string_view>

#include "present/palette.h"

namespace kovra::ui {

inline bool pagesIsDark(const QPalette& p) { return p.color(QPalette::Window).lightnessF() < 0.5; }

inline QColor paletteColor(ArayuzPalette c, const QPalette& p) {
  QColor text = p.color(QPalette::WindowText);
  auto alpha = [&](double a) {
    QColor t = text;
    t.setAlphaF(static_cast<float>(a));
    return t;
  };
  switch (c) {
    case ArayuzPalette::ok: return QColor(52, 199, 89);
    case ArayuzPalette::warning: return pagesIsDark(p) ? QColor(255, 214, 10) : QColor::fromRgbF(0.78f, 0.56f, 0.0f);
    case ArayuzPalette::critical: return QColor(255, 59, 48);
    case ArayuzPalette::memoryApps:
    case ArayuzPalette::memoryLine:
    case ArayuzPalette::download:
    case ArayuzPalette::cpu: return QColor(0, 122, 255);
    case ArayuzPalette::memorySystem:
    case ArayuzPalette::upload: return QColor(175, 82, 222);
    case ArayuzPalette::memoryCache: return QColor(48, 176, 199);
    case ArayuzPalette::memoryFree: return alpha(0.16);
    case ArayuzPalette::track: return alpha(0.10);
    case ArayuzPalette::cardBackground: return p.color(QPalette::Base);
    case ArayuzPalette::cardBorder: return alpha(0.08);
  }
  return text;
}

inline QColor severityColor(Severity s, const QPalette& p) {
  switch (s) {
    case Severity::ok: return paletteColor(ArayuzPalette::ok, p);
    case Severity::warning: return paletteColor(ArayuzPalette::warning, p);
    case Severity::critical: return paletteColor(ArayuzPalette::critical, p);
    case Severity::neutral: break;
  }
  return p.color(QPalette::WindowText);
}

inline QPixmap symbolPixmap(std::string_view, const QColor& tint, int px, qreal dpr = 1.0) {
  QPixmap pm(static_cast<int>(px * dpr), static_cast<int>(px * dpr));
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter painter(&pm);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(tint, 1.5));
  painter.drawEllipse(QRectF(1.5, 1.5, px - 3, px - 3));
  return pm;
}

inline QIcon symbolIcon(std::string_view name, const QColor& tint) { return QIcon(symbolPixmap(name, tint, 32)); }

class IconCache {
 public:
  static IconCache& shared() {
    static IconCache cache;
    return cache;
  }
  QIcon appIcon(const std::string&) { return symbolIcon("app", Qt::gray); }
  QIcon fileIcon(const std::string&) { return symbolIcon("doc", Qt::gray); }
  QString displayName(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }
};

}  // namespace kovra::ui
#endif
