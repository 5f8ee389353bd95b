#pragma once
// The label's fonts on Qt: DejaVu Sans when installed (its digits are tabular and it has the
// arrows and the thin space), otherwise the system font. Widths are measured on an image device,
// the same kind the label picture is painted on, so measuring and painting agree on any screen.

#include <QColor>
#include <QFont>
#include <QImage>

#include <map>
#include <string_view>

#include "present/menu_bar_renderer.h"
#include "present/text_measurer.h"

class QPainter;

namespace kovra::ui {

class QtTextMeasurer final : public ArayuzTextMeasurer {
 public:
  // `family` empty: DejaVu Sans when installed, else the system font. Checks the font once and
  // logs when its digits differ in width or it lacks the arrows (Qt then draws them from
  // another font).
  explicit QtTextMeasurer(const QString& family = {});

  double menuBarFontSize() const override;
  double textWidth(std::string_view text, double fontSize) const override;
  ArayuzFontMetrics metrics(double fontSize) const override;

  QFont font(double fontSize) const;
  QString family() const { return base_.family(); }
  bool hasTabularDigits() const { return tabularDigits_; }
  bool hasArrows() const { return arrows_; }
  // The device widths are measured on; a picture painted with these fonts must share its
  // resolution.
  const QImage& device() const { return device_; }

 private:
  QFont base_;
  QImage device_;
  bool tabularDigits_ = true;
  bool arrows_ = true;
  mutable std::map<double, QFont> fonts_;
};

// Paints with the measurer's fonts, in one colour (black for a template picture).
class QtTextPainter final : public ArayuzTextPainter {
 public:
  QtTextPainter(QPainter& painter, const QtTextMeasurer& measurer, QColor ink = Qt::black);
  void drawText(std::string_view text, ArayuzRect rect, double fontSize) override;

 private:
  QPainter& painter_;
  const QtTextMeasurer& measurer_;
  QColor ink_;
};

// The wide label picture on a transparent background, `devicePixelRatio` times as many pixels
// as the picture's size. An empty picture gives a null image.
QImage renderLabelPicture(const ArayuzMenuBarImage& image, const QtTextMeasurer& measurer,
                          const QColor& ink = Qt::black, qreal devicePixelRatio = 1.0);
QImage renderLabelPicture(const ArayuzMenuBarRendered& rendered, const QtTextMeasurer& measurer,
                          const QColor& ink = Qt::black, qreal devicePixelRatio = 1.0);

}  // namespace kovra::ui
