#include "ui/pages/memory_bar_bridge.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWidget>

#include <array>

#include "core/format.h"
#include "core/localize.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#include "ui/pages/page_style.h"

namespace kovra::ui {

namespace {

struct Slice {
  const char* label;
  ArayuzPalette colour;
};
constexpr std::array<Slice, 4> kSlices{{{"Uygulamalar", ArayuzPalette::memoryApps},
                                        {"Sistem", ArayuzPalette::memorySystem},
                                        {"Önbellek", ArayuzPalette::memoryCache},
                                        {"Boş", ArayuzPalette::memoryFree}}};

std::array<uint64_t, 4> sliceBytes(const MemorySnapshot& m) {
  const uint64_t apps = m.appBytes + m.compressedBytes;
  const uint64_t taken = apps + m.wiredBytes + m.cachedBytes;
  return {apps, m.wiredBytes, m.cachedBytes, taken >= m.totalBytes ? 0 : m.totalBytes - taken};
}

class SliceBar : public QWidget {
 public:
  explicit SliceBar(QWidget* parent) : QWidget(parent) { setFixedHeight(10); }
  void setMemory(const std::optional<MemorySnapshot>& m) {
    memory_ = m;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 5, 5);
    painter.setClipPath(clip);
    painter.setBrush(paletteColor(ArayuzPalette::track, palette()));
    painter.drawRect(rect());
    if (!memory_ || memory_->totalBytes == 0) return;
    const auto bytes = sliceBytes(*memory_);
    double x = 0;
    for (size_t i = 0; i < kSlices.size(); ++i) {
      const double w = width() * std::min(1.0, static_cast<double>(bytes[i]) / static_cast<double>(memory_->totalBytes));
      painter.setBrush(paletteColor(kSlices[i].colour, palette()));
      painter.drawRect(QRectF(x, 0, w, height()));
      x += w;
    }
  }

 private:
  std::optional<MemorySnapshot> memory_;
};

class MemoryBarWithLegend : public QWidget {
 public:
  MemoryBarWithLegend(const Observable<std::optional<MemorySnapshot>>& memory, QWidget* parent)
      : QWidget(parent), memory_(memory) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    bar_ = new SliceBar(this);
    bar_->setAccessibleName(qs(localized("Bellek dağılımı")));
    column->addWidget(bar_);
    auto* legend = new QHBoxLayout();
    legend->setSpacing(16);
    for (size_t i = 0; i < kSlices.size(); ++i) {
      auto* item = new QHBoxLayout();
      item->setSpacing(5);
      auto* swatch = new QLabel(this);
      QPixmap pm(10, 10);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::NoPen);
      p.setBrush(paletteColor(kSlices[i].colour, palette()));
      p.drawRoundedRect(QRectF(0, 0, 10, 10), 2, 2);
      p.end();
      swatch->setPixmap(pm);
      item->addWidget(swatch);
      item->addWidget(makeLabel(qs(localized(kSlices[i].label)), TextRole::callout, this));
      values_[i] = makeLabel({}, TextRole::secondaryCallout, this);
      item->addWidget(values_[i]);
      legend->addLayout(item);
    }
    legend->addStretch(1);
    column->addLayout(legend);
    column->addWidget(makeNote(qs(localized("Önbellek: Hız için tutuluyor, gerekince anında boşalır.")),
                               TextRole::secondaryCallout, this));
    token_ = memory_.subscribe([this](const auto&) { reload(); });
    reload();
  }

 private:
  void reload() {
    const auto& m = memory_.value();
    bar_->setMemory(m);
    QStringList parts;
    for (size_t i = 0; i < kSlices.size(); ++i) {
      const QString text = m ? qs(Format::memoryText(static_cast<double>(sliceBytes(*m)[i]))) : QString::fromUtf8("—");
      setTextIfChanged(values_[i], text);
      parts << qs(localized(kSlices[i].label)) + " " + text;
    }
    bar_->setAccessibleDescription(parts.join(", "));
  }

  const Observable<std::optional<MemorySnapshot>>& memory_;
  SliceBar* bar_;
  std::array<QLabel*, 4> values_{};
  ObservationToken token_;
};

}  // namespace

QWidget* makeMemoryBar(const Observable<std::optional<MemorySnapshot>>& memory, QWidget* parent) {
  return new MemoryBarWithLegend(memory, parent);
}

}  // namespace kovra::ui
