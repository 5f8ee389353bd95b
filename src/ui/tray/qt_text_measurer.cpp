#include "ui/tray/qt_text_measurer.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "core/log.h"

namespace kovra::ui {

namespace {

constexpr double kProbeSize = 13;

QFont chooseFont(const QString& family) {
  if (!family.isEmpty()) return QFont(family);
  if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) return QFont(QStringLiteral("DejaVu Sans"));
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

QString qText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QtTextMeasurer::QtTextMeasurer(const QString& family) : base_(chooseFont(family)), device_(1, 1, QImage::Format_ARGB32) {
  base_.setStyleHint(QFont::SansSerif);
  base_.setWeight(QFont::Normal);
  base_.setKerning(false);  // digits keep their own advance whatever stands beside them

  QFontMetricsF fm(font(kProbeSize), &device_);
  const double zero = fm.horizontalAdvance(QChar(u'0'));
  for (char16_t d = u'1'; d <= u'9'; ++d) {
    if (std::abs(fm.horizontalAdvance(QChar(d)) - zero) > 1e-3) tabularDigits_ = false;
  }
  arrows_ = fm.inFontUcs4(0x2193) && fm.inFontUcs4(0x2191) && fm.inFontUcs4(0x2009);

  const std::string name = base_.family().toStdString();
  if (!tabularDigits_) {
    Log::ui.log("Yazı tipinin rakamları eşit genişlikte değil (" + name +
                "); etiket rakamlar değiştikçe kayabilir.");
  }
  if (!arrows_) {
    Log::ui.log("Yazı tipinde etiketin ok işaretleri ya da ince boşluğu yok (" + name +
                "); bunlar başka bir yazı tipinden çizilecek.");
  }
}

QFont QtTextMeasurer::font(double fontSize) const {
  auto it = fonts_.find(fontSize);
  if (it != fonts_.end()) return it->second;
  QFont f = base_;
  f.setPointSizeF(fontSize > 0 ? fontSize : 1);
  if (fonts_.size() > 16) fonts_.clear();  // sizes change only with the desktop's settings
  return fonts_.emplace(fontSize, f).first->second;
}

double QtTextMeasurer::menuBarFontSize() const {
  const QFont app = QApplication::font();
  double size = app.pointSizeF();
  if (size <= 0 && app.pixelSize() > 0) size = app.pixelSize() * 72.0 / 96.0;
  return size > 0 ? size : 10;
}

double QtTextMeasurer::textWidth(std::string_view text, double fontSize) const {
  return QFontMetricsF(font(fontSize), &device_).horizontalAdvance(qText(text));
}

ArayuzFontMetrics QtTextMeasurer::metrics(double fontSize) const {
  QFontMetricsF fm(font(fontSize), &device_);
  return {fm.ascent(), -fm.descent(), fm.leading()};
}

QtTextPainter::QtTextPainter(QPainter& painter, const QtTextMeasurer& measurer, QColor ink)
    : painter_(painter), measurer_(measurer), ink_(std::move(ink)) {}

void QtTextPainter::drawText(std::string_view text, ArayuzRect rect, double fontSize) {
  painter_.setFont(measurer_.font(fontSize));
  painter_.setPen(ink_);
  painter_.drawText(QRectF(rect.x, rect.y, rect.width, rect.height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    qText(text));
}

QImage renderLabelPicture(const ArayuzMenuBarImage& image, const QtTextMeasurer& measurer, const QColor& ink,
                          qreal devicePixelRatio) {
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  const int w = static_cast<int>(std::ceil(image.width * ratio));
  const int h = static_cast<int>(std::ceil(image.height * ratio));
  if (w <= 0 || h <= 0) return {};
  QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
  out.setDotsPerMeterX(measurer.device().dotsPerMeterX());
  out.setDotsPerMeterY(measurer.device().dotsPerMeterY());
  out.setDevicePixelRatio(ratio);
  out.fill(Qt::transparent);
  QPainter painter(&out);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QtTextPainter textPainter(painter, measurer, ink);
  image.draw(measurer, textPainter);
  painter.end();
  return out;
}

QImage renderLabelPicture(const ArayuzMenuBarRendered& rendered, const QtTextMeasurer& measurer, const QColor& ink,
                          qreal devicePixelRatio) {
  QImage out = renderLabelPicture(rendered.image, measurer, ink, devicePixelRatio);
  if (!out.isNull()) out.setText(QStringLiteral("Description"), QString::fromStdString(rendered.accessibilityText));
  return out;
}

}  // namespace kovra::ui
