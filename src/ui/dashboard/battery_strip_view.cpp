#include "ui/dashboard/battery_strip_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/localize.h"
#include "present/battery_text.h"
#include "present/dashboard_model.h"
#include "ui/common/colors.h"
#include "ui/common/symbols.h"
#include "ui/dashboard/label_style.h"

namespace kovra::ui {
namespace {

QString joined(const std::vector<std::string>& parts, const QString& separator) {
  QString out;
  for (const auto& p : parts) {
    if (!out.isEmpty()) out += separator;
    out += qstr(p);
  }
  return out;
}

}  // namespace

BatteryStripView::BatteryStripView(ArayuzCardSize size, QWidget* parent)
    : QWidget(parent), metrics_(CardMetrics::of(size)), symbol_(new QLabel(this)) {
  setObjectName(QStringLiteral("battery-strip"));
  const bool compact = metrics_.compact();
  const int symbolPx = compact ? 20 : 28;
  symbol_->setFixedSize(symbolPx, symbolPx);
  const QFont body = metrics_.bodyFont(font());
  if (compact) {
    // One line: symbol, charge, status.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(8);
    QFont strong = body;
    strong.setWeight(QFont::DemiBold);
    charge_ = makeLabel(QString(), strong, this);
    fixToWidest(charge_, QStringLiteral("%100"));
    status_ = makeLabel(QString(), body, this, true);
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addWidget(charge_);
    row->addWidget(status_, 1);
  } else {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    QFont title = metrics_.titleFont(font());
    title.setWeight(QFont::DemiBold);
    top->addWidget(makeLabel(qstr(localized("Pil", "Pil şeridi")), title, this));
    charge_ = makeLabel(QString(), title, this);
    fixToWidest(charge_, QStringLiteral("%100"));
    top->addWidget(charge_);
    top->addStretch(1);
    texts->addLayout(top);
    status_ = makeLabel(QString(), body, this, true);
    status_->setWordWrap(true);
    texts->addWidget(status_);
    power_ = makeLabel(QString(), metrics_.captionFont(font()), this, true);
    power_->setWordWrap(true);
    texts->addWidget(power_);
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);
  }
  setVisible(false);
}

BatteryStripView::BatteryStripView(const ArayuzDashboardModel& model, ArayuzCardSize size, QWidget* parent)
    : BatteryStripView(size, parent) {
  setBattery(model.battery().value());
  token_ = model.battery().subscribe([this](const std::optional<BatterySnapshot>& b) { setBattery(b); });
}

void BatteryStripView::setBattery(const std::optional<BatterySnapshot>& battery) {
  if (initialised_ && battery == battery_) return;
  initialised_ = true;
  battery_ = battery;
  if (!battery) {
    symbolName_.clear();
    setToolTip({});
    setVisible(false);
    return;
  }
  setTextIfChanged(charge_, qstr(Format::percent(battery->chargeFraction)));
  setTextIfChanged(status_, qstr(ArayuzBatteryText::status(*battery)));
  if (power_) {
    const auto parts = ArayuzBatteryText::powerParts(*battery);
    setTextIfChanged(power_, joined(parts, QStringLiteral(" · ")));
    power_->setVisible(!parts.empty());
  }
  const QString tooltip = qstr(ArayuzBatteryText::tooltip(*battery));
  setToolTip(tooltip);
  setAccessibleName(qstr(localized("Pil", "Pil şeridi")) + QLatin1Char(' ') + charge_->text());
  setAccessibleDescription(tooltip);
  updateSymbol();
  setVisible(true);
}

void BatteryStripView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) updateSymbol();
}

void BatteryStripView::updateSymbol() {
  if (!battery_) return;
  symbolName_ = ArayuzBatteryText::symbol(*battery_);
  QColor tint = palette().color(QPalette::WindowText);
  if (battery_->isCharging) tint = paletteColor(ArayuzPalette::ok, palette());
  else if (!battery_->isPluggedIn && battery_->chargeFraction < 0.125) tint = paletteColor(ArayuzPalette::critical, palette());
  symbol_->setPixmap(symbolPixmap(symbolName_, tint, symbol_->width(), devicePixelRatioF()));
  symbol_->setAccessibleName(qstr(symbolName_));
}

}  // namespace kovra::ui
