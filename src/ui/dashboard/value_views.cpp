#include "ui/dashboard/value_views.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "core/format.h"
#include "core/localize.h"
#include "present/dashboard_model.h"
#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"
#include "ui/dashboard/eliding_label.h"
#include "ui/dashboard/fill_bar_view.h"
#include "ui/dashboard/label_style.h"
#include "ui/dashboard/memory_bar_view.h"

namespace kovra::ui {
namespace {

QVBoxLayout* column(QWidget* owner, int spacing) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(spacing);
  return layout;
}

QString placeholder() { return qstr(Format::placeholder); }

// A figure with its caption on the figure's baseline right after the text. The row asks for the
// width of the widest figure, so new digits never lay the card out again; only the caption moves.
class FigureRow final : public QWidget {
 public:
  FigureRow(QLabel* figure, QLabel* caption, const QString& widest, QWidget* parent)
      : QWidget(parent), figure_(figure), caption_(caption) {
    figure_->setParent(this);
    caption_->setParent(this);
    figure_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    reserved_ = figure_->fontMetrics().horizontalAdvance(widest) + 2;
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    place();
  }

  void place() {
    const QFontMetrics f = figure_->fontMetrics();
    const QFontMetrics c = caption_->fontMetrics();
    const int text = f.horizontalAdvance(figure_->text()) + 2;
    figure_->setGeometry(0, 0, text, f.height());
    const int drop = std::max(0, f.ascent() - c.ascent());
    const int captionWidth = c.horizontalAdvance(caption_->text()) + 2;
    caption_->setGeometry(text + kGap, drop, captionWidth, c.height());
    const QSize hint(std::max(text, reserved_) + kGap + captionWidth, std::max(f.height(), drop + c.height()));
    if (hint != hint_) {
      hint_ = hint;
      updateGeometry();
    }
  }

  QSize sizeHint() const override { return hint_; }
  QSize minimumSizeHint() const override { return hint_; }

 private:
  static constexpr int kGap = 6;
  QLabel* figure_;
  QLabel* caption_;
  int reserved_ = 0;
  QSize hint_;
};

}  // namespace

// ---- memory ---------------------------------------------------------------------------------

MemoryValueView::MemoryValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent)
    : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = column(this, metrics.compact() ? 2 : 4);
  used_ = makeLabel(qstr(model.memoryUsedText().value()), metrics.bigFont(font()), this);
  fixToWidest(used_, qstr(model.memoryTemplate));
  total_ = makeLabel(qstr(model.memoryTotalLine().value()), metrics.captionFont(font()), this, true);
  bar_ = new MemoryBarView(!metrics.compact(), metrics.compact() ? 6 : 10, this);
  bar_->setMemory(model.memory().value());
  layout->addWidget(used_);
  layout->addWidget(total_);
  layout->addSpacing(metrics.compact() ? 4 : 8);
  layout->addWidget(bar_);
  tokens_.push_back(model.memoryUsedText().subscribe([this](const std::string& s) { setTextIfChanged(used_, qstr(s)); }));
  tokens_.push_back(
      model.memoryTotalLine().subscribe([this](const std::string& s) { setTextIfChanged(total_, qstr(s)); }));
  tokens_.push_back(model.memory().subscribe([this](const std::optional<MemorySnapshot>& m) { bar_->setMemory(m); }));
}

// ---- network --------------------------------------------------------------------------------

NetworkValueView::NetworkValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent)
    : QWidget(parent), model_(model), metrics_(metrics) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = column(this, metrics.compact() ? 2 : 4);
  QFont rateFont = metrics.compact() ? metrics.titleFont(font()) : metrics.bigFont(font());
  if (!metrics.compact()) rateFont.setPointSizeF(rateFont.pointSizeF() * 0.72);
  const int arrowPx = metrics.compact() ? 13 : 17;
  auto rateLine = [&](QLabel*& arrow, QLabel*& text, const std::string& value, const QString& name) {
    auto* row = new QHBoxLayout;
    row->setSpacing(metrics.compact() ? 4 : 6);
    arrow = new QLabel(this);
    arrow->setFixedSize(arrowPx, arrowPx);
    arrow->setAccessibleName(name);
    text = makeLabel(qstr(value), rateFont, this);
    row->addWidget(arrow, 0, Qt::AlignVCenter);
    row->addWidget(text);
    row->addStretch(1);
    layout->addLayout(row);
  };
  rateLine(downArrow_, down_, model.downloadText().value(), qstr(localized("İndirme", "Ağ kartı")));
  rateLine(upArrow_, up_, model.uploadText().value(), qstr(localized("Yükleme", "Ağ kartı")));
  layout->addSpacing(metrics.compact() ? 2 : 4);
  connection_ = makeLabel(placeholder(), metrics.captionFont(font()), this, true);
  connection_->setWordWrap(true);
  totals_ = makeLabel(placeholder(), metrics.captionFont(font()), this, true);
  totals_->setWordWrap(true);
  layout->addWidget(connection_);
  layout->addWidget(totals_);
  updateArrows();
  auto reserve = [this](const std::string& widest) {
    fixToWidest(down_, qstr(widest));
    fixToWidest(up_, qstr(widest));
  };
  reserve(model.rateTemplate().value());
  updateConnection();
  tokens_.push_back(model.downloadText().subscribe([this](const std::string& s) { setTextIfChanged(down_, qstr(s)); }));
  tokens_.push_back(model.uploadText().subscribe([this](const std::string& s) { setTextIfChanged(up_, qstr(s)); }));
  tokens_.push_back(model.rateTemplate().subscribe(reserve));
  tokens_.push_back(model.connection().subscribe([this](const ArayuzConnectionInfo&) { updateConnection(); }));
}

void NetworkValueView::changeEvent(QEvent* event) { QWidget::changeEvent(event); }

void NetworkValueView::updateArrows() {
  showSymbol(downArrow_, "arrow.down", [](const QPalette& p) { return paletteColor(ArayuzPalette::download, p); },
             downArrow_->width());
  showSymbol(upArrow_, "arrow.up", [](const QPalette& p) { return paletteColor(ArayuzPalette::upload, p); },
             upArrow_->width());
}

void NetworkValueView::updateConnection() {
  const ArayuzConnectionInfo& info = model_.connection().value();
  QString line;
  if (!info.connection) {
    line = placeholder();
  } else {
    line = qstr(ArayuzNetworkText::connection(*info.connection));
    if (!metrics_.compact() && *info.connection != ConnectionKind::none)
      line += qstr(localized(" · Yerel IP ", "Ağ kartı")) + (info.localIP ? qstr(*info.localIP) : placeholder());
  }
  setTextIfChanged(connection_, line);
  auto total = [](const std::optional<uint64_t>& bytes) {
    return bytes ? qstr(Format::storageText(static_cast<double>(*bytes))) : placeholder();
  };
  setTextIfChanged(totals_, qstr(localized("Açılıştan beri ↓", "Ağ kartı")) + total(info.totalDownloaded) +
                                qstr(localized(" · ↑ ", "Ağ kartı")) + total(info.totalUploaded));
}

// ---- disk -----------------------------------------------------------------------------------

DiskValueView::DiskValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent)
    : QWidget(parent), model_(model) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = column(this, metrics.compact() ? 2 : 4);
  free_ = makeLabel(qstr(model.diskFreeText().value()), metrics.bigFont(font()), this);
  fixToWidest(free_, qstr(model.diskTemplate));
  total_ = makeLabel(qstr(model.diskTotalLine().value()), metrics.captionFont(font()), this, true);
  layout->addWidget(free_);
  layout->addWidget(total_);
  // The usage bar sits at the bottom of the card, level with the sparkline beside it.
  layout->addStretch(1);
  layout->addSpacing(metrics.compact() ? 4 : 8);
  auto* titleRow = new QHBoxLayout;
  auto* title = makeLabel(qstr(localized("Doluluk", "Disk kartı")), metrics.captionFont(font()), this, true);
  percent_ = makeLabel(placeholder(), metrics.captionFont(font()), this, true);
  percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  fixToWidest(percent_, QStringLiteral("%100") + qstr(localized(" dolu", "Disk kartı")));
  titleRow->addWidget(title);
  titleRow->addStretch(1);
  titleRow->addWidget(percent_);
  layout->addLayout(titleRow);
  bar_ = new FillBarView(metrics.compact() ? 6 : 8, this);
  bar_->setAccessibleName(title->text());
  layout->addWidget(bar_);
  updateFill();
  tokens_.push_back(model.diskFreeText().subscribe([this](const std::string& s) { setTextIfChanged(free_, qstr(s)); }));
  tokens_.push_back(model.diskTotalLine().subscribe([this](const std::string& s) { setTextIfChanged(total_, qstr(s)); }));
  tokens_.push_back(model.diskUsedFraction().subscribe([this](const std::optional<double>&) { updateFill(); }));
  tokens_.push_back(model.verdict(CardKind::disk).subscribe([this](const Verdict&) { updateFill(); }));
}

void DiskValueView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) updateFill();
}

void DiskValueView::updateFill() {
  const std::optional<double>& used = model_.diskUsedFraction().value();
  QString text = placeholder();
  if (used) {
    if (auto whole = Format::wholeNumber(*used * 100))
      text = QStringLiteral("%") + qstr(*whole) + qstr(localized(" dolu", "Disk kartı"));
  }
  setTextIfChanged(percent_, text);
  bar_->setFraction(used.value_or(0));
  bar_->setColor(severityColor(model_.verdict(CardKind::disk)->severity, palette()));
  bar_->setAccessibleDescription(text);
}

// ---- CPU ------------------------------------------------------------------------------------

CPUValueView::CPUValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent)
    : QWidget(parent), metrics_(metrics) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = column(this, metrics.compact() ? 2 : 4);
  usage_ = makeLabel(qstr(model.cpuText().value()), metrics.bigFont(font()), this);
  auto* inUse = makeLabel(qstr(localized("kullanımda", "İşlemci kartı")), metrics.bodyFont(font()), this, true);
  auto* figureRow = new FigureRow(usage_, inUse, qstr(model.percentTemplate), this);
  layout->addWidget(figureRow);
  layout->addSpacing(metrics.compact() ? 2 : 6);
  QFont heading = metrics.captionFont(font());
  heading.setWeight(QFont::DemiBold);
  layout->addWidget(makeLabel(qstr(localized("En çok kullananlar", "İşlemci kartı")), heading, this, true));
  const QFont rowFont = metrics.captionFont(font());
  none_ = makeLabel(placeholder(), rowFont, this, true);
  layout->addWidget(none_);
  const int iconPx = metrics.compact() ? 14 : 16;
  for (auto& r : rows_) {
    r.row = new QWidget(this);
    auto* h = new QHBoxLayout(r.row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);
    r.icon = new QLabel(r.row);
    r.icon->setFixedSize(iconPx, iconPx);
    r.name = new ElidingLabel(r.row);
    r.name->setFont(rowFont);
    r.percent = makeLabel(QString(), rowFont, r.row);
    r.percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fixToWidest(r.percent, qstr(model.percentTemplate));
    h->addWidget(r.icon);
    h->addWidget(r.name, 1);
    h->addWidget(r.percent);
    r.row->setVisible(false);
    layout->addWidget(r.row);
  }
  setApps(model.topCPUApps().value());
  tokens_.push_back(model.cpuText().subscribe([this, figureRow](const std::string& s) {
    if (usage_->text() == qstr(s)) return;
    usage_->setText(qstr(s));
    figureRow->place();
  }));
  tokens_.push_back(model.topCPUApps().subscribe([this](const std::vector<ArayuzTopApp>& apps) { setApps(apps); }));
}

void CPUValueView::setApps(const std::vector<ArayuzTopApp>& apps) {
  none_->setVisible(apps.empty());
  const int iconPx = rows_[0].icon->width();
  for (size_t i = 0; i < rows_.size(); ++i) {
    Row& r = rows_[i];
    if (i >= apps.size()) {
      r.row->setVisible(false);
      continue;
    }
    const ArayuzTopApp& app = apps[i];
    r.name->setFullText(qstr(app.name));
    setTextIfChanged(r.percent, qstr(app.percentText));
    r.row->setAccessibleName(qstr(app.name) + QStringLiteral(", ") + qstr(app.percentText));
    const std::string iconKey = app.kind == AppGroupKind::app ? app.bundlePath.value_or(std::string()) : "system";
    if (iconKey != r.iconKey || r.icon->pixmap().isNull()) {
      r.iconKey = iconKey;
      // Symbols (the gear of system groups, the generic app) are tinted for the palette in use.
      showIcon(r.icon,
               app.kind == AppGroupKind::app ? IconCache::shared().appIconForEntry(app.bundlePath)
                                             : adaptiveSymbolIcon("gearshape"),
               iconPx);
    }
    r.row->setVisible(true);
  }
}

// ---- temperatures ----------------------------------------------------------------------------

SensorsValueView::SensorsValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent)
    : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = column(this, metrics.compact() ? 2 : 4);
  figure_ = makeLabel(qstr(model.sensorsText().value()), metrics.bigFont(font()), this);
  part_ = makeLabel(qstr(model.sensorsPart().value()), metrics.bodyFont(font()), this, true);
  auto* figureRow = new FigureRow(figure_, part_, qstr(model.temperatureTemplate), this);
  layout->addWidget(figureRow);
  fan_ = makeLabel(qstr(model.sensorsFan().value()), metrics.captionFont(font()), this, true);
  fan_->setVisible(!model.sensorsFan().value().empty());
  layout->addWidget(fan_);
  auto setText = [figureRow](QLabel* label, const std::string& s) {
    if (label->text() == qstr(s)) return;
    label->setText(qstr(s));
    figureRow->place();
  };
  tokens_.push_back(model.sensorsText().subscribe([this, setText](const std::string& s) { setText(figure_, s); }));
  tokens_.push_back(model.sensorsPart().subscribe([this, setText](const std::string& s) { setText(part_, s); }));
  tokens_.push_back(model.sensorsFan().subscribe([this](const std::string& s) {
    setTextIfChanged(fan_, qstr(s));
    fan_->setVisible(!s.empty());
  }));
}

}  // namespace kovra::ui
