#include "ui/common/look.h"

#include <QApplication>
#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace kovra::ui {

namespace {

// Whether KovraStyle is installed, and whether the palette in use is the program's own (false when
// a platform theme brought one, which is then kept).
bool ownStyle = false;
bool ownPalette = false;

QColor withAlpha(QColor c, double alpha) {
  c.setAlphaF(static_cast<float>(alpha));
  return c;
}

bool samePalette(const QPalette& a, const QPalette& b) {
  for (auto role : {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text, QPalette::Button,
                    QPalette::ButtonText, QPalette::Highlight}) {
    if (a.color(QPalette::Active, role) != b.color(QPalette::Active, role)) return false;
  }
  return true;
}

bool isFusion(const QStyle* style) {
  const QStyle* base = style;
  if (auto* proxy = qobject_cast<const QProxyStyle*>(style)) base = proxy->baseStyle();
  return base && base->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QPalette kovraPalette(ColorScheme scheme) {
  const bool dark = scheme == ColorScheme::dark;
  // One set of greys: window, the raised surfaces (cards, fields, buttons), lines and text.
  const QColor window = dark ? QColor(0x24, 0x24, 0x26) : QColor(0xf4, 0xf4, 0xf6);
  const QColor surface = dark ? QColor(0x2e, 0x2e, 0x31) : QColor(0xff, 0xff, 0xff);
  const QColor button = dark ? QColor(0x3a, 0x3a, 0x3d) : QColor(0xff, 0xff, 0xff);
  const QColor text = dark ? QColor(0xeb, 0xeb, 0xf0) : QColor(0x1d, 0x1d, 0x1f);
  const QColor accent = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
  QPalette p(button, window);
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool off = group == QPalette::Disabled;
    const QColor ink = off ? withAlpha(text, 0.38) : text;
    p.setColor(group, QPalette::Window, window);
    p.setColor(group, QPalette::WindowText, ink);
    p.setColor(group, QPalette::Base, surface);
    p.setColor(group, QPalette::AlternateBase, dark ? QColor(0x33, 0x33, 0x36) : QColor(0xf7, 0xf7, 0xf9));
    p.setColor(group, QPalette::Text, ink);
    p.setColor(group, QPalette::Button, button);
    p.setColor(group, QPalette::ButtonText, ink);
    p.setColor(group, QPalette::BrightText, Qt::white);
    p.setColor(group, QPalette::PlaceholderText, withAlpha(text, 0.62));
    p.setColor(group, QPalette::Highlight, off ? withAlpha(accent, 0.4) : accent);
    p.setColor(group, QPalette::HighlightedText, Qt::white);
    p.setColor(group, QPalette::Link, accent);
    p.setColor(group, QPalette::LinkVisited, accent.darker(115));
    p.setColor(group, QPalette::ToolTipBase, surface);
    p.setColor(group, QPalette::ToolTipText, text);
    // The bevel shades Fusion derives lines and frames from.
    p.setColor(group, QPalette::Light, dark ? QColor(0x48, 0x48, 0x4c) : QColor(0xff, 0xff, 0xff));
    p.setColor(group, QPalette::Midlight, dark ? QColor(0x3e, 0x3e, 0x42) : QColor(0xe8, 0xe8, 0xec));
    p.setColor(group, QPalette::Mid, dark ? QColor(0x34, 0x34, 0x37) : QColor(0xd2, 0xd2, 0xd7));
    p.setColor(group, QPalette::Dark, dark ? QColor(0x1a, 0x1a, 0x1c) : QColor(0xb4, 0xb4, 0xba));
    p.setColor(group, QPalette::Shadow, dark ? QColor(0x0e, 0x0e, 0x10) : QColor(0x8e, 0x8e, 0x93));
  }
  return p;
}

KovraStyle::KovraStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
  setObjectName(QStringLiteral("kovra"));
}

QSize KovraStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
  if (type == CT_PushButton) {
    // Room around the label and its icon, and one height for every button.
    QSize s = size;
    s.rwidth() += 2 * Look::kButtonPadding;
    s.rheight() = std::max(Look::kButtonHeight, s.height() + 2 * Look::kGap1 + 2);
    s.rwidth() = std::max(s.width(), 72);
    return s;
  }
  return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int KovraStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  switch (metric) {
    case PM_ToolTipLabelFrameWidth: return Look::kGap1 + 2;
    case PM_ButtonIconSize: return 16;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

void KovraStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  const QPalette& pal = option->palette;
  const QColor ink = pal.color(QPalette::WindowText);
  switch (element) {
    case PE_PanelButtonCommand: {
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
      QColor fill = pal.color(QPalette::Button);
      if (option->state & State_Sunken || option->state & State_On) {
        fill = QColor::fromRgbF(fill.redF() * 0.9f + ink.redF() * 0.1f, fill.greenF() * 0.9f + ink.greenF() * 0.1f,
                                fill.blueF() * 0.9f + ink.blueF() * 0.1f);
      } else if (option->state & State_MouseOver && option->state & State_Enabled) {
        fill = QColor::fromRgbF(fill.redF() * 0.95f + ink.redF() * 0.05f, fill.greenF() * 0.95f + ink.greenF() * 0.05f,
                                fill.blueF() * 0.95f + ink.blueF() * 0.05f);
      }
      painter->setBrush(fill);
      const bool focused = (option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange);
      painter->setPen(QPen(focused ? pal.color(QPalette::Highlight) : withAlpha(ink, 0.18), focused ? 1.5 : 1.0));
      painter->drawRoundedRect(r, Look::kRadius, Look::kRadius);
      painter->restore();
      return;
    }
    case PE_FrameDefaultButton: return;
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton: {
      // Fusion outlines its boxes in a shade of the window colour, which all but vanishes on the
      // dark greys: a line in the text colour keeps them visible in both schemes.
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setBrush(Qt::NoBrush);
      painter->setPen(QPen(withAlpha(ink, 0.38), 1));
      const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -1.5, -1.5);
      if (element == PE_IndicatorRadioButton) {
        painter->drawEllipse(r);
      } else {
        painter->drawRoundedRect(r, 2, 2);
      }
      painter->restore();
      return;
    }
    case PE_PanelTipLabel: {
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setBrush(pal.color(QPalette::ToolTipBase));
      painter->setPen(QPen(withAlpha(pal.color(QPalette::ToolTipText), 0.16), 1));
      painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), Look::kRadius, Look::kRadius);
      painter->restore();
      return;
    }
    default: QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

void KovraStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  switch (element) {
    case CE_ProgressBarGroove: {
      // Flat, like the program's other bars: a rounded track in the text colour at low opacity.
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setPen(Qt::NoPen);
      painter->setBrush(withAlpha(option->palette.color(QPalette::WindowText), 0.10));
      const QRectF r = option->rect;
      const qreal radius = std::min<qreal>(r.height() / 2, Look::kRadius);
      painter->drawRoundedRect(r, radius, radius);
      painter->restore();
      return;
    }
    case CE_ProgressBarContents: {
      const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(option);
      if (!bar) break;
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      const QRectF r = option->rect;
      const qreal radius = std::min<qreal>(r.height() / 2, Look::kRadius);
      QPainterPath track;
      track.addRoundedRect(r, radius, radius);
      painter->setClipPath(track);
      painter->setPen(Qt::NoPen);
      painter->setBrush(option->palette.color(QPalette::Highlight));
      if (bar->minimum == bar->maximum) {
        // Busy: a third of the track sliding across, redrawn while the bar is painted at all.
        const qint64 period = 1400;
        const double phase = static_cast<double>(QDateTime::currentMSecsSinceEpoch() % period) / period;
        const qreal chunk = r.width() / 3;
        painter->drawRect(QRectF(r.left() - chunk + phase * (r.width() + chunk), r.top(), chunk, r.height()));
        if (widget) {
          QPointer<QWidget> target(const_cast<QWidget*>(widget));
          QTimer::singleShot(40, target, [target] {
            if (target && target->isVisible()) target->update();
          });
        }
      } else {
        const double span = static_cast<double>(bar->maximum) - bar->minimum;
        const double f = span > 0 ? std::clamp((bar->progress - bar->minimum) / span, 0.0, 1.0) : 0.0;
        if (f > 0) painter->drawRect(QRectF(r.left(), r.top(), r.width() * f, r.height()));
      }
      painter->restore();
      return;
    }
    default: break;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

bool usesKovraLook() { return ownStyle; }

void applyDesktopLook(QApplication& application, ColorScheme scheme) {
  (void)application;
  if (!isFusion(QApplication::style())) return;  // the desktop's own style and palette
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  // A palette that differs from Fusion's own came from the platform theme (or the user): keep it.
  ownPalette = fusion && samePalette(QApplication::palette(), fusion->standardPalette());
  QApplication::setStyle(new KovraStyle);
  ownStyle = true;
  if (ownPalette) QApplication::setPalette(kovraPalette(scheme));
}

void applyColorScheme(QApplication& application, ColorScheme scheme) {
  (void)application;
  if (!ownStyle || !ownPalette) return;
  const QPalette wanted = kovraPalette(scheme);
  if (!samePalette(QApplication::palette(), wanted)) QApplication::setPalette(wanted);
}

}  // namespace kovra::ui
