#include "ui/dashboard/memory_bar_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/localize.h"
#include "ui/common/colors.h"
#include "ui/common/tint.h"
#include "ui/dashboard/card_size.h"

namespace kovra::ui {

std::array<MemorySlice, 4> memorySlices(const MemorySnapshot& m) {
  auto sum = [](uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; };
  const uint64_t apps = sum(m.appBytes, m.compressedBytes);
  const uint64_t parts = sum(sum(apps, m.wiredBytes), m.cachedBytes);
  const uint64_t free = m.totalBytes > parts ? m.totalBytes - parts : 0;
  return {{
      {qstr(localized("Uygulamalar", "Bellek dilimi")), ArayuzPalette::memoryApps, apps},
      {qstr(localized("Sistem", "Bellek dilimi")), ArayuzPalette::memorySystem, m.wiredBytes},
      {qstr(localized("Önbellek", "Bellek dilimi")), ArayuzPalette::memoryCache, m.cachedBytes},
      {qstr(localized("Boş", "Bellek dilimi")), ArayuzPalette::memoryFree, free},
  }};
}

// The painted bar; screen readers get its parts as the accessible description.
class MemoryBarStrip : public QWidget {
 public:
  MemoryBarStrip(int height, QWidget* parent) : QWidget(parent) {
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(qstr(localized("Bellek dağılımı", "Bellek çubuğu")));
  }

  void setMemory(const std::optional<MemorySnapshot>& memory) {
    memory_ = memory;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const qreal radius = std::min<qreal>(r.height() / 2, 4);
    QPainterPath clip;
    clip.addRoundedRect(r, radius, radius);
    if (!memory_ || memory_->totalBytes == 0) {
      p.fillPath(clip, paletteColor(ArayuzPalette::track, palette()));
      return;
    }
    p.setClipPath(clip);
    const double total = static_cast<double>(memory_->totalBytes);
    qreal x = r.left();
    for (const auto& slice : memorySlices(*memory_)) {
      if (x >= r.right()) break;
      const qreal w = std::min(r.right() - x, r.width() * (static_cast<double>(slice.bytes) / total));
      if (w <= 0) continue;
      p.fillRect(QRectF(x, r.top(), w, r.height()), paletteColor(slice.colour, palette()));
      x += w;
    }
  }

 private:
  std::optional<MemorySnapshot> memory_;
};

namespace {

// A small square in a slice's colour, for the legend.
class Swatch : public QWidget {
 public:
  Swatch(ArayuzPalette colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setFixedSize(9, 9);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(paletteColor(colour_, palette()));
    p.drawRoundedRect(QRectF(rect()), 2, 2);
  }

 private:
  ArayuzPalette colour_;
};

}  // namespace

MemoryBarView::MemoryBarView(bool showsLegend, int barHeight, QWidget* parent)
    : QWidget(parent), showsLegend_(showsLegend) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  if (showsLegend_) {
    auto* title = title_ = new QLabel(qstr(localized("Bellek dağılımı", "Bellek çubuğu")), this);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 0.88);
    f.setWeight(QFont::DemiBold);
    title->setFont(f);
    layout->addWidget(title);
  }
  strip_ = new MemoryBarStrip(barHeight, this);
  layout->addWidget(strip_);
  if (showsLegend_) {
    legend_ = new QGridLayout;
    legend_->setHorizontalSpacing(6);
    legend_->setVerticalSpacing(2);
    const MemorySnapshot none;
    const auto slices = memorySlices(none);
    QFont caption = font();
    caption.setPointSizeF(caption.pointSizeF() * 0.88);
    for (size_t i = 0; i < 4; ++i) {
      auto* name = new QLabel(slices[i].label, this);
      name->setFont(caption);
      auto* value = new QLabel(qstr(Format::placeholder), this);
      value->setFont(caption);
      value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      value->setMinimumWidth(QFontMetrics(caption).horizontalAdvance(QStringLiteral("127,6 GB")));
      legendCells_[i] = {new Swatch(slices[i].colour, this), name, value};
      values_[i] = value;
    }
    arrangeLegend(true);
    layout->addLayout(legend_);
    auto* cacheLine = new QLabel(qstr(localized("Önbellek: Hız için tutuluyor, gerekince anında boşalır.",
                                                "Bellek çubuğu")),
                                 this);
    cacheLine->setFont(caption);
    cacheLine->setWordWrap(true);
    setTone(cacheLine, Tone::secondary);
    layout->addWidget(cacheLine);
  }
  setMemory(std::nullopt);
}

int MemoryBarView::twoColumnWidth() const {
  int names = 0;
  for (const auto& cells : legendCells_) names = std::max(names, cells[1]->sizeHint().width());
  const int perColumn = legendCells_[0][0]->width() + 6 + names + 6 + legendCells_[0][2]->minimumWidth();
  return 2 * perColumn + 6 + 24;
}

void MemoryBarView::arrangeLegend(bool twoColumns) {
  if (!legend_ || twoColumns_ == twoColumns) return;
  twoColumns_ = twoColumns;
  for (const auto& cells : legendCells_)
    for (QWidget* w : cells) legend_->removeWidget(w);
  for (int c = 0; c < legend_->columnCount(); ++c) {
    legend_->setColumnStretch(c, 0);
    legend_->setColumnMinimumWidth(c, 0);
  }
  for (int i = 0; i < 4; ++i) {
    // Two columns: apps and system on the left, cache and free on the right.
    const int row = twoColumns ? i % 2 : i;
    const int col = twoColumns ? (i / 2) * 4 : 0;
    legend_->addWidget(legendCells_[i][0], row, col, Qt::AlignVCenter);
    legend_->addWidget(legendCells_[i][1], row, col + 1);
    legend_->addWidget(legendCells_[i][2], row, col + 2);
  }
  // The second pair follows the first at a fixed gap; what is left stays at the end of the line.
  legend_->setColumnStretch(twoColumns ? 7 : 3, 1);
  if (twoColumns) legend_->setColumnMinimumWidth(3, 24);
  // The card grows or shrinks with the legend.
  for (QWidget* w = this; w; w = w->parentWidget()) {
    w->updateGeometry();
    if (w->isWindow()) break;
  }
}

void MemoryBarView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (legend_) arrangeLegend(width() >= twoColumnWidth());
}

QWidget* MemoryBarView::bar() const { return strip_; }

void MemoryBarView::hideTitle() {
  if (title_) title_->hide();
}

void MemoryBarView::setMemory(const std::optional<MemorySnapshot>& memory) {
  if (initialised_ && memory == memory_) return;
  initialised_ = true;
  memory_ = memory;
  strip_->setMemory(memory);
  std::array<QString, 4> texts;
  const MemorySnapshot none;
  const auto slices = memorySlices(memory.value_or(none));
  for (size_t i = 0; i < 4; ++i) {
    texts[i] = memory ? qstr(Format::memoryText(static_cast<double>(slices[i].bytes))) : qstr(Format::placeholder);
    if (values_[i] && values_[i]->text() != texts[i]) values_[i]->setText(texts[i]);
  }
  const QString description = slices[0].label + QLatin1Char(' ') + texts[0] + QStringLiteral(", ") + slices[1].label +
                              QLatin1Char(' ') + texts[1] + QStringLiteral(", ") + slices[2].label + QLatin1Char(' ') +
                              texts[2] + QStringLiteral(", ") + slices[3].label + QLatin1Char(' ') + texts[3];
  strip_->setAccessibleDescription(description);
}

}  // namespace kovra::ui
