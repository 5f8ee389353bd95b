#include "ui/pages/app_network_list_view.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "core/localize.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/page_style.h"
#include "ui/pages/row_column.h"
#include "ui/pages/viewport_watch.h"

namespace kovra::ui {

namespace {
constexpr int kIconSize = 22;

QString totalsText(const AppNetworkUsage& u) {
  return qs(localized("Toplam ↓ ")) + qs(Format::storageText(static_cast<double>(u.totalDownloadedBytes))) +
         QString::fromUtf8(" · ↑ ") + qs(Format::storageText(static_cast<double>(u.totalUploadedBytes)));
}
}  // namespace

QString appNetworkRowDescription(const AppNetworkUsage& u, RateUnit unit) {
  return qs(u.name) + qs(localized(", indirme ")) + qs(Format::rate(u.downloadBytesPerSecond, unit)) +
         qs(localized(", yükleme ")) + qs(Format::rate(u.uploadBytesPerSecond, unit)) +
         qs(localized(", toplam indirilen ")) + qs(Format::storageText(static_cast<double>(u.totalDownloadedBytes))) +
         qs(localized(", toplam yüklenen ")) + qs(Format::storageText(static_cast<double>(u.totalUploadedBytes)));
}

AppNetworkRowView::AppNetworkRowView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::TabFocus);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 5, 6, 5);
  row->setSpacing(10);
  icon_ = new QLabel(this);
  icon_->setFixedSize(kIconSize, kIconSize);
  row->addWidget(icon_, 0, Qt::AlignTop);
  auto* names = new QVBoxLayout();
  names->setSpacing(1);
  name_ = makeLabel({}, TextRole::body, this);
  name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  totals_ = makeLabel({}, TextRole::secondaryCaption, this);
  names->addWidget(name_);
  // Sized to its text: the totals grow on every reading and must not lay the list out again
  // while their width stays the same.
  names->addWidget(totals_, 0, Qt::AlignLeft);
  row->addLayout(names, 1);
  auto* rates = new QVBoxLayout();
  rates->setSpacing(1);
  auto rateLine = [&](ArayuzRateDirection direction, QLabel** out) {
    auto* line = new QHBoxLayout();
    line->setSpacing(4);
    line->addStretch(1);
    line->addWidget(makeSymbolLabel(directionSymbol(direction), fromPalette(directionColour(direction)), 11, this));
    *out = makeLabel({}, TextRole::callout, this);
    (*out)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Fixed: rates change on every reading and must not make the list lay out again.
    (*out)->setFixedSize((*out)->fontMetrics().horizontalAdvance(QStringLiteral("888,8 Mbps")) + 2,
                         (*out)->fontMetrics().height());
    line->addWidget(*out);
    rates->addLayout(line);
  };
  rateLine(ArayuzRateDirection::download, &down_);
  rateLine(ArayuzRateDirection::upload, &up_);
  row->addLayout(rates);
}

void AppNetworkRowView::setRow(const AppNetworkUsage& u, RateUnit unit) {
  pending_.reset();
  if (!hasIcon_) {
    const QIcon icon = u.kind == AppGroupKind::system || !u.bundlePath
                           ? adaptiveSymbolIcon("gearshape")
                           : IconCache::shared().appIconForEntry(u.bundlePath);
    showIcon(icon_, icon, kIconSize);
    hasIcon_ = true;
  }
  setTextIfChanged(name_, qs(u.name));
  setTextInFixedSize(totals_, totalsText(u));
  setTextIfChanged(down_, qs(Format::rate(u.downloadBytesPerSecond, unit)));
  setTextIfChanged(up_, qs(Format::rate(u.uploadBytesPerSecond, unit)));
  const QString description = appNetworkRowDescription(u, unit);
  if (accessibleName() != description) setAccessibleName(description);
}

void AppNetworkRowView::setPendingRow(const AppNetworkUsage& usage, RateUnit unit) {
  pending_.emplace(usage, unit);
  // A screen reader may read rows out of view: with one listening, their names stay current.
  if (QAccessible::isActive()) {
    const QString description = appNetworkRowDescription(usage, unit);
    if (accessibleName() != description) setAccessibleName(description);
  }
}

void AppNetworkRowView::showPendingRow() {
  if (!pending_) return;
  const auto [usage, unit] = std::move(*pending_);
  setRow(usage, unit);
}

AppNetworkListView::AppNetworkListView(const Observable<std::optional<std::vector<AppNetworkUsage>>>& rows,
                                       const Observable<RateUnit>& unit, QWidget* parent)
    : QWidget(parent), source_(rows), unit_(unit) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);

  measuring_ = new QWidget(this);
  auto* measuringRow = new QHBoxLayout(measuring_);
  measuringRow->setContentsMargins(0, 4, 0, 4);
  auto* spinner = new QProgressBar(measuring_);
  spinner->setRange(0, 0);
  spinner->setTextVisible(false);
  spinner->setFixedSize(60, 6);
  spinner->setAccessibleName(qs(localized("Ölçülüyor…")));
  measuringRow->addWidget(spinner);
  measuringRow->addWidget(makeLabel(qs(localized("Ölçülüyor…")), TextRole::secondary, measuring_));
  measuringRow->addStretch(1);
  column->addWidget(measuring_);

  empty_ = makeLabel(qs(localized("Şu an ağ kullanan uygulama yok.")), TextRole::secondary, this);
  column->addWidget(empty_);
  rowBox_ = new RowColumn(this);
  column->addWidget(rowBox_);
  viewport_ = new ViewportWatch(rowBox_, [this] { showRowsInView(); });
  footer_ = makeNote(qs(localized("Toplamlar sadece bu ekran açıkken ölçülen trafiği içerir. VPN açıkken trafik hem "
                                  "uygulamanın hem VPN uygulamasının satırında görünür.")),
                     TextRole::secondaryCallout, this);
  column->addWidget(footer_);
  tokens_.push_back(source_.subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(unit_.subscribe([this](const auto&) { reload(); }));
  reload();
}

AppNetworkListView::~AppNetworkListView() {
  // The watcher calls back into this list: it goes first, before the rows it reads.
  delete viewport_;
}

std::vector<AppNetworkRowView*> AppNetworkListView::rows() const {
  std::vector<AppNetworkRowView*> out;
  for (const auto& id : order_) out.push_back(rowsById_.at(id));
  return out;
}

void AppNetworkListView::reload() {
  const auto& rows = source_.value();
  const bool measuring = !rows.has_value();
  const bool empty = rows && rows->empty();
  if (measuring_->isVisibleTo(this) != measuring) measuring_->setVisible(measuring);
  if (empty_->isVisibleTo(this) != empty) empty_->setVisible(empty);
  if (rowBox_->isVisibleTo(this) != (!measuring && !empty)) rowBox_->setVisible(!measuring && !empty);

  std::vector<std::string> order;
  if (rows) {
    order.reserve(rows->size());
    for (const auto& u : *rows) order.push_back(u.id);
  }
  const std::unordered_set<std::string_view> present(order.begin(), order.end());
  for (auto it = rowsById_.begin(); it != rowsById_.end();) {
    if (!present.contains(it->first)) {
      it->second->hide();
      it->second->deleteLater();
      it = rowsById_.erase(it);
    } else {
      ++it;
    }
  }
  if (rows) {
    for (const auto& u : *rows) {
      AppNetworkRowView*& view = rowsById_[u.id];
      if (!view) view = new AppNetworkRowView(rowBox_);
    }
  }
  if (order != order_) {
    // Re-sorted or changed: the kept widgets move into the new order.
    std::vector<QWidget*> widgets;
    widgets.reserve(order.size());
    for (const auto& id : order) widgets.push_back(rowsById_[id]);
    rowBox_->setRows(widgets);
    order_ = std::move(order);
  }
  // Every row has the same height whatever it shows, so the rows are in their places now.
  if (rows) {
    for (const auto& u : *rows) {
      AppNetworkRowView* view = rowsById_[u.id];
      if (view->isBuilt() && !viewport_->inView(view->geometry())) {
        view->setPendingRow(u, unit_.value());
      } else {
        view->setRow(u, unit_.value());
      }
    }
  }
}

int AppNetworkListView::pendingRowCount() const {
  int n = 0;
  for (const auto& [id, view] : rowsById_) n += view->hasPendingRow() ? 1 : 0;
  return n;
}

void AppNetworkListView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  viewport_->attach();
  showRowsInView();
}

void AppNetworkListView::showRowsInView() {
  for (const auto& [id, view] : rowsById_) {
    if (view->hasPendingRow() && viewport_->inView(view->geometry())) view->showPendingRow();
  }
}

}  // namespace kovra::ui
