#include "ui/pages/history_chart_view.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

#include "core/localize.h"
#include "present/chart_geometry.h"
#include "present/detail_model.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/look.h"
#include "ui/common/symbols.h"
#include "ui/pages/page_style.h"

namespace kovra::ui {

namespace {

constexpr int kPlotHeight = static_cast<int>(ArayuzChartGeometry::kHistoryChartHeight);

qint64 millis(Date d) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(d.time_since_epoch()).count();
}

QString clockText(Date d, bool seconds) {
  return QDateTime::fromMSecsSinceEpoch(millis(d)).toString(seconds ? "HH:mm:ss" : "HH:mm");
}

Date offset(Date d, double seconds) {
  return d + std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
}

// The line key of a segment id ("cpuUsage-3" → "cpuUsage").
std::string_view keyOf(const std::string& id) {
  const auto dash = id.rfind('-');
  return dash == std::string::npos ? std::string_view(id) : std::string_view(id).substr(0, dash);
}

}  // namespace

HistoryChartView::HistoryChartView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(kPlotHeight);
  setAccessibleName(qs(localized("Geçmiş grafiği")));
  topLabel_ = makeLabel({}, TextRole::secondaryCaption, this);
  topLabel_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  emptyLabel_ = makeLabel(qs(localized("Bu aralık için henüz veri yok.")), TextRole::secondary, this);
  emptyLabel_->setAlignment(Qt::AlignCenter);
  valueText_ = [](double v) { return QString::number(v); };
  placeLabels();
}

QSize HistoryChartView::sizeHint() const { return {600, kPlotHeight}; }
QSize HistoryChartView::minimumSizeHint() const { return {160, kPlotHeight}; }

void HistoryChartView::setValueText(ValueText text) {
  valueText_ = std::move(text);
  updateTopLabel();
}

void HistoryChartView::setChart(const std::vector<ArayuzSparkSegment>& segments, double yMax, Date end,
                                double duration) {
  const bool same = segments == segments_ && yMax == yMax_ && end == end_ && duration == duration_;
  if (same) return;
  segments_ = segments;
  yMax_ = yMax;
  end_ = end;
  duration_ = duration;
  emptyLabel_->setVisible(segments_.empty());
  updateTopLabel();
  invalidateRendering();
}

void HistoryChartView::invalidateRendering() {
  renderedValid_ = false;
  update();
}

void HistoryChartView::updateTopLabel() {
  setTextIfChanged(topLabel_, valueText_(yMax_));
  topLabel_->adjustSize();
  placeLabels();
}

void HistoryChartView::placeLabels() {
  topLabel_->adjustSize();
  topLabel_->move(width() - topLabel_->width() - 2, 2);
  emptyLabel_->setGeometry(rect());
}

void HistoryChartView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeLabels();
  renderedValid_ = false;
}

void HistoryChartView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) invalidateRendering();
}

// Below the scale's label, so that a line at the top of the scale never runs through it.
QRectF HistoryChartView::plotFrame() const {
  return QRectF(rect()).adjusted(0, topLabel_->height() + 4, 0, 0);
}

void HistoryChartView::paintEvent(QPaintEvent*) {
  const qreal dpr = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * dpr).toSize();
  if (!renderedValid_ || rendered_.size() != pixels || rendered_.devicePixelRatio() != dpr) {
    if (rendered_.size() != pixels) rendered_ = QPixmap(pixels);
    rendered_.setDevicePixelRatio(dpr);
    rendered_.fill(Qt::transparent);
    QPainter offscreen(&rendered_);
    render(offscreen);
    renderedValid_ = true;
    ++renderCount_;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, rendered_);
  if (!hover_) return;
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF f = plotFrame();
  Date time;
  const auto hits = hitsAt(hover_->x(), &time);
  if (hits.empty()) return;
  QColor guide = secondaryTextColor(palette());
  painter.setPen(QPen(guide, 1, Qt::DashLine));
  painter.drawLine(QPointF(hits.front().at.x(), f.top()), QPointF(hits.front().at.x(), f.bottom()));
  for (const auto& hit : hits) {
    painter.setPen(QPen(palette().color(QPalette::Base), 1.5));
    painter.setBrush(hit.colour);
    painter.drawEllipse(hit.at, 4, 4);
  }
  const QString text = hoverText(*hover_);
  QFont font = this->font();
  font.setPixelSize(PageMetrics::kCaption);
  painter.setFont(font);
  const QFontMetrics fm(font);
  QRectF box = fm.boundingRect(QRect(0, 0, 400, 200), 0, text);
  box.adjust(-6, -4, 6, 4);
  double x = hits.front().at.x() + 10;
  if (x + box.width() > f.right()) x = hits.front().at.x() - 10 - box.width();
  box.moveTopLeft(QPointF(std::max(f.left(), x), f.top() + 18));
  // The program's surface, not the toolkit's tooltip colours.
  QColor back = paletteColor(ArayuzPalette::cardBackground, palette());
  back.setAlphaF(0.97f);
  QColor border = palette().color(QPalette::WindowText);
  border.setAlphaF(0.16f);
  painter.setPen(QPen(border, 1));
  painter.setBrush(back);
  painter.drawRoundedRect(box, Look::kRadius, Look::kRadius);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(box.adjusted(6, 4, -6, -4), 0, text);
}

void HistoryChartView::render(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF f = plotFrame();
  const ArayuzRect frame{f.x(), f.y(), f.width(), f.height()};

  QColor gridColour = secondaryTextColor(palette());
  gridColour.setAlphaF(static_cast<float>(ArayuzChartGeometry::kGridOpacity));
  painter.setPen(QPen(gridColour, ArayuzChartGeometry::kGridLineWidth));
  const std::vector<double> fractions(std::begin(ArayuzChartGeometry::kHistoryGridFractions),
                                      std::end(ArayuzChartGeometry::kHistoryGridFractions));
  // Without data the sentence stands in the middle; no grid line runs through it.
  if (!segments_.empty()) {
    for (const auto& line : ArayuzChartGeometry::grid(fractions, frame)) {
      painter.drawLine(QPointF(line.from.x, line.from.y), QPointF(line.to.x, line.to.y));
    }
  }
  // The baseline, so that an empty or low chart still has a floor.
  painter.drawLine(QPointF(f.left(), f.bottom() - 1), QPointF(f.right(), f.bottom() - 1));

  painter.save();
  painter.setClipRect(f);
  for (const auto& segment : segments_) {
    QPen pen(paletteColor(segment.color, palette()), ArayuzChartGeometry::kLineWidth, Qt::SolidLine, Qt::RoundCap,
             Qt::RoundJoin);
    painter.setPen(pen);
    const auto points = ArayuzChartGeometry::path(segment, frame);
    if (points.empty()) continue;
    if (points.size() == 1) {
      painter.drawPoint(QPointF(points[0].x, points[0].y));
      continue;
    }
    // Joined strokes of a few hundred points are slow to fill; separate straight pieces whose
    // square ends cover the joints look the same at this width and are drawn directly.
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    std::vector<QLineF> pieces;
    pieces.reserve(points.size() - 1);
    for (size_t i = 1; i < points.size(); ++i) {
      pieces.emplace_back(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    painter.drawLines(pieces.data(), static_cast<int>(pieces.size()));
  }
  painter.restore();
}

std::vector<HistoryChartView::Hit> HistoryChartView::hitsAt(double x, Date* time) const {
  std::vector<Hit> hits;
  const QRectF f = plotFrame();
  if (segments_.empty() || f.width() <= 0) return hits;
  const ArayuzRect frame{f.x(), f.y(), f.width(), f.height()};
  // The nearest drawn point of every line, then the time of the nearest of those.
  double nearestDistance = 1e300;
  double nearestUnitX = 0;
  auto consider = [&](std::string_view key, const ArayuzSparkSegment& segment) {
    const auto points = ArayuzChartGeometry::path(segment, frame);
    std::optional<size_t> best;
    double bestDistance = 1e300;
    for (size_t i = 0; i < points.size(); ++i) {
      const double d = std::abs(points[i].x - x);
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    if (!best) return std::pair<double, std::optional<Hit>>{bestDistance, std::nullopt};
    Hit hit;
    hit.at = QPointF(points[*best].x, points[*best].y);
    hit.colour = paletteColor(segment.color, palette());
    hit.value = segment.points[*best].y * (yMax_ > 0 ? yMax_ : 1);
    for (const auto& line : lines_) {
      if (line.key == key) hit.label = line.label;
    }
    if (bestDistance < nearestDistance) {
      nearestDistance = bestDistance;
      nearestUnitX = segment.points[*best].x;
    }
    return std::pair<double, std::optional<Hit>>{bestDistance, hit};
  };
  std::vector<std::pair<std::string, std::pair<double, Hit>>> perLine;
  for (const auto& segment : segments_) {
    const std::string key(keyOf(segment.id));
    auto [distance, hit] = consider(key, segment);
    if (!hit) continue;
    auto it = std::find_if(perLine.begin(), perLine.end(), [&](const auto& p) { return p.first == key; });
    if (it == perLine.end()) {
      perLine.push_back({key, {distance, *hit}});
    } else if (distance < it->second.first) {
      it->second = {distance, *hit};
    }
  }
  // Too far from any drawn point (a gap in the line): nothing to show.
  if (nearestDistance > std::max(12.0, f.width() / 30)) return hits;
  for (auto& [key, entry] : perLine) {
    if (entry.first <= std::max(12.0, f.width() / 30)) hits.push_back(entry.second);
  }
  if (time) *time = offset(end_, -duration_ + nearestUnitX * duration_);
  return hits;
}

QString HistoryChartView::hoverText(QPointF pos) const {
  Date time;
  const auto hits = hitsAt(pos.x(), &time);
  if (hits.empty()) return {};
  QStringList lines;
  lines << clockText(time, true);
  for (const auto& hit : hits) {
    lines << (hit.label.isEmpty() ? valueText_(hit.value) : hit.label + ": " + valueText_(hit.value));
  }
  return lines.join('\n');
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event) {
  hover_ = event->position();
  setToolTip({});
  update();
}

void HistoryChartView::leaveEvent(QEvent*) {
  hover_.reset();
  update();
}

// ---- section -------------------------------------------------------------------------------------

namespace {

// A line's colour in the legend, painted from the palette in use.
class LegendDot final : public QWidget {
 public:
  LegendDot(ArayuzPalette colour, QWidget* parent) : QWidget(parent), colour_(colour) { setFixedSize(10, 10); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(paletteColor(colour_, palette()));
    painter.drawEllipse(QRectF(1, 1, 8, 8));
  }

 private:
  ArayuzPalette colour_;
};

QWidget* makePicker(QComboBox** picker, QLabel** titleOut) {
  auto* box = new QWidget();
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(6);
  *titleOut = makeLabel(qs(localized("Aralık")), TextRole::secondaryCallout, box);
  *picker = new QComboBox(box);
  for (auto range : kAllChartRanges) (*picker)->addItem(qs(title(range)), qs(rawValue(range)));
  (*titleOut)->setBuddy(*picker);
  (*picker)->setAccessibleName((*titleOut)->text());
  row->addWidget(*titleOut);
  row->addWidget(*picker);
  return box;
}

}  // namespace

HistorySectionView::HistorySectionView(ArayuzDetailModel& detail, std::vector<LineSpec> lines,
                                       HistoryChartView::ValueText valueText, QWidget* parent)
    : DetailSectionView(qs(localized("Geçmiş")), nullptr, parent), detail_(detail) {
  setAccessory(makePicker(&picker_, &pickerTitle_));
  // Legend: one swatch and label per line.
  legend_ = new QWidget(this);
  auto* legendRow = new QHBoxLayout(legend_);
  legendRow->setContentsMargins(0, 0, 0, 0);
  legendRow->setSpacing(12);
  addContent(legend_);

  chart_ = new HistoryChartView(this);
  setLines(lines);
  chart_->setValueText(std::move(valueText));
  addContent(chart_);

  auto* timeRow = new QHBoxLayout();
  timeRow->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 3; ++i) {
    times_[i] = makeLabel({}, TextRole::secondaryCaption, this);
    times_[i]->setAlignment(i == 0 ? Qt::AlignLeft : i == 1 ? Qt::AlignHCenter : Qt::AlignRight);
    timeRow->addWidget(times_[i], 1);
  }
  contentLayout()->addLayout(timeRow);

  connect(picker_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(std::size(kAllChartRanges))) {
      detail_.setHistoryRange(kAllChartRanges[index]);
    }
  });
  auto reloadSoon = [this](const auto&) { reload(); };
  tokens_.push_back(detail_.historySegments().subscribe(reloadSoon));
  tokens_.push_back(detail_.historyYMax().subscribe(reloadSoon));
  tokens_.push_back(detail_.historyEnd().subscribe(reloadSoon));
  tokens_.push_back(detail_.historyRange().subscribe(reloadSoon));
  reload();
}

void HistorySectionView::setLines(const std::vector<LineSpec>& lines) {
  auto* row = static_cast<QHBoxLayout*>(legend_->layout());
  while (QLayoutItem* item = row->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  std::vector<HistoryChartView::Line> chartLines;
  for (const auto& line : lines) {
    row->addWidget(new LegendDot(line.colour, legend_));
    row->addWidget(makeLabel(line.label, TextRole::secondaryCallout, legend_));
    chartLines.push_back({line.key, line.label});
  }
  row->addStretch(1);
  chart_->setLines(std::move(chartLines));
}

void HistorySectionView::reload() {
  const auto range = detail_.historyRange().value();
  for (int i = 0; i < static_cast<int>(std::size(kAllChartRanges)); ++i) {
    if (kAllChartRanges[i] == range && picker_->currentIndex() != i) picker_->setCurrentIndex(i);
  }
  chart_->setChart(detail_.historySegments().value(), detail_.historyYMax().value(), detail_.historyEnd().value(),
                   spanSeconds(range));
  updateTimes();
}

void HistorySectionView::updateTimes() {
  const double duration = spanSeconds(detail_.historyRange().value());
  const bool seconds = detail_.historyRange().value() == ArayuzChartRange::oneMinute;
  const Date end = detail_.historyEnd().value();
  setTextIfChanged(times_[0], clockText(offset(end, -duration), seconds));
  setTextIfChanged(times_[1], clockText(offset(end, -duration / 2), seconds));
  setTextIfChanged(times_[2], clockText(end, seconds));
}

}  // namespace kovra::ui
