#include "ui/pages/app_list_view.h"

#include <QAccessible>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QTransform>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "core/localize.h"
#include "store/store.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/symbols.h"
#include "ui/common/look.h"
#include "ui/common/tint.h"
#include "ui/pages/confirmation.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/page_style.h"
#include "ui/pages/row_column.h"
#include "ui/pages/viewport_watch.h"
#include "ui/pages/platform_texts.h"

namespace kovra::ui {

namespace {

constexpr int kIconSize = 20;
constexpr int kValueWidthChars = 9;
constexpr int kBarWidth = 140;

QString inQuotes(const std::string& name) { return QString::fromUtf8("“") + qs(name) + QString::fromUtf8("”"); }

QIcon iconForApp(const AppUsage& app) {
  if (app.kind == AppGroupKind::system || !app.bundlePath) return adaptiveSymbolIcon("gearshape");
  return IconCache::shared().appIconForEntry(app.bundlePath);
}

void passClicksThrough(QWidget* w) { w->setAttribute(Qt::WA_TransparentForMouseEvents); }

QPushButton* makeDestructiveButton(const QString& text, bool prominent, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  if (prominent) {
    // White on the critical red, in the program's button shape, whatever the style.
    const QColor red = paletteColor(ArayuzPalette::critical, b->palette());
    b->setMinimumHeight(Look::kButtonHeight);
    b->setStyleSheet(QString("QPushButton { background: %1; color: white; border: none; border-radius: %3px;"
                             " padding: 4px %4px; font-weight: 600; }"
                             "QPushButton:pressed { background: %2; }")
                         .arg(red.name(), red.darker(120).name())
                         .arg(Look::kRadius)
                         .arg(Look::kButtonPadding));
  } else {
    setTextColor(b, [](const QPalette& p) { return paletteColor(ArayuzPalette::critical, p); });
  }
  return b;
}

}  // namespace

// ---- the row's button ----------------------------------------------------------------------------

AppRowButton::AppRowButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
  // A row, not a push button: its texts take the window text colours.
  setBackgroundRole(QPalette::Window);
  setForegroundRole(QPalette::WindowText);
  setAccessibleDescription(qs(localized("Alt süreçleri gösterir ya da gizler")));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 5, 6, 5);
  row->setSpacing(8);
  chevron_ = new QLabel(this);
  chevron_->setFixedSize(12, 12);
  icon_ = new QLabel(this);
  icon_->setFixedSize(kIconSize, kIconSize);
  name_ = makeLabel({}, TextRole::body, this);
  name_->setMinimumWidth(60);
  name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  value_ = makeLabel({}, TextRole::body, this);
  value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // A fixed size: the value changes on every reading and must not make the list lay out again.
  value_->setFixedSize(value_->fontMetrics().horizontalAdvance(QString(kValueWidthChars, QChar('8'))),
                       value_->fontMetrics().height());
  bar_ = new ProportionBarView(0.0, ArayuzPalette::memoryApps, 6, this);
  bar_->setFixedWidth(kBarWidth);
  for (QWidget* w : {static_cast<QWidget*>(chevron_), static_cast<QWidget*>(icon_), static_cast<QWidget*>(name_),
                     static_cast<QWidget*>(value_), static_cast<QWidget*>(bar_)}) {
    passClicksThrough(w);
  }
  row->addWidget(chevron_);
  row->addWidget(icon_);
  row->addWidget(name_, 1);
  row->addWidget(value_);
  row->addWidget(bar_);
}

QSize AppRowButton::sizeHint() const { return layout()->sizeHint(); }

void AppRowButton::setContent(const QIcon& icon, const QString& name, const QString& value, double fraction,
                              bool expanded) {
  if (!hasIcon_) {
    showIcon(icon_, icon, kIconSize);
    hasIcon_ = true;
  }
  if (expanded_ != expanded) {
    expanded_ = expanded;
    drawChevron();
  }
  pending_.reset();
  if (name_->text() != name || value_->text() != value) {
    setTextIfChanged(name_, name);
    setTextIfChanged(value_, value);
    name_->setToolTip(name);
  }
  setAccessibleLine(name, value);
  bar_->setFraction(fraction);
}

void AppRowButton::drawChevron() {
  QPixmap chevron = symbolPixmap("chevron.right", secondaryTextColor(palette()), 12, devicePixelRatioF());
  if (expanded_.value_or(false)) chevron = chevron.transformed(QTransform().rotate(90), Qt::SmoothTransformation);
  chevron.setDevicePixelRatio(devicePixelRatioF());
  chevron_->setPixmap(chevron);
}

void AppRowButton::changeEvent(QEvent* event) {
  QAbstractButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && expanded_) drawChevron();
}

void AppRowButton::setAccessibleLine(const QString& name, const QString& value) {
  const QString line = name + ", " + value;
  if (accessibleName() != line) setAccessibleName(line);
}

void AppRowButton::setPendingContent(const QString& name, const QString& value, double fraction) {
  pending_ = Line{name, value, fraction};
  // A screen reader may read rows out of view: with one listening, their names stay current.
  if (QAccessible::isActive()) setAccessibleLine(name, value);
}

void AppRowButton::showPendingContent() {
  if (!pending_) return;
  const Line line = std::move(*pending_);
  setContent(QIcon(), line.name, line.value, line.fraction, expanded_.value_or(false));
}

void AppRowButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor fill = palette().color(QPalette::WindowText);
  float alpha = 0;
  if (isDown()) {
    alpha = 0.12f;
  } else if (underMouse()) {
    alpha = 0.06f;
  }
  if (alpha > 0) {
    fill.setAlphaF(alpha);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
  }
  // The ring marks keyboard focus only, not the row a click focused.
  if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    QColor ring = palette().color(QPalette::Highlight);
    painter.setPen(QPen(ring, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
  }
}

// ---- one row -------------------------------------------------------------------------------------

AppRowView::AppRowView(ArayuzAppMetric metric, const std::string& id, QWidget* parent)
    : QWidget(parent), metric_(metric), id_(id) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  button_ = new AppRowButton(this);
  column->addWidget(button_);
  connect(button_, &QAbstractButton::clicked, this, [this] { Q_EMIT toggleRequested(id_); });

  details_ = new QWidget(this);
  auto* detailColumn = new QVBoxLayout(details_);
  // Under the name on the left; on the right the process values end where the app's value ends,
  // before the bar.
  detailColumn->setContentsMargins(46, 2, 6 + 8 + kBarWidth, 8);
  detailColumn->setSpacing(6);
  processGrid_ = new QGridLayout();
  processGrid_->setHorizontalSpacing(12);
  processGrid_->setVerticalSpacing(2);
  processGrid_->setColumnStretch(1, 1);
  detailColumn->addLayout(processGrid_);

  buttons_ = new QWidget(details_);
  auto* buttonRow = new QHBoxLayout(buttons_);
  buttonRow->setContentsMargins(0, 4, 0, 0);
  buttonRow->setSpacing(8);
  quit_ = new QPushButton(qs(localized("Kapat…")), buttons_);
  force_ = makeDestructiveButton(qs(localized("Zorla kapat…")), false, buttons_);
  buttonRow->addWidget(quit_);
  buttonRow->addWidget(force_);
  buttonRow->addStretch(1);
  detailColumn->addWidget(buttons_);
  cannotQuit_ = makeLabel(qs(localized("Bu grup buradan kapatılamaz.")), TextRole::secondaryCallout, details_);
  detailColumn->addWidget(cannotQuit_);
  connect(quit_, &QPushButton::clicked, this, [this] { Q_EMIT quitRequested(id_); });
  connect(force_, &QPushButton::clicked, this, [this] { Q_EMIT forceRequested(id_); });

  note_ = new QWidget(details_);
  auto* noteRow = new QHBoxLayout(note_);
  noteRow->setContentsMargins(0, 0, 0, 0);
  noteRow->setSpacing(6);
  noteSymbol_ = new QLabel(note_);
  noteText_ = makeNote({}, TextRole::secondaryCallout, note_);
  noteRow->addWidget(noteSymbol_, 0, Qt::AlignTop);
  noteRow->addWidget(noteText_, 1);
  detailColumn->addWidget(note_);
  note_->setVisible(false);
  details_->setVisible(false);
  column->addWidget(details_);
}

QString AppRowView::processLineText(int index) const {
  if (index < 0 || index >= shownProcesses_) return {};
  const auto& line = processLines_[static_cast<size_t>(index)];
  return line.pid->text() + " " + line.name->text() + " " + line.value->text();
}

void AppRowView::setRow(const AppListRow& row, bool expanded, bool armed, const ArayuzTerminateNote* note) {
  const AppUsage& app = *row.app;
  button_->setContent(built_ ? QIcon() : iconForApp(app), qs(app.name), qs(row.valueText), row.fraction, expanded);
  if (!built_) {
    button_->bar()->setColour(metric_ == ArayuzAppMetric::memory ? ArayuzPalette::memoryApps : ArayuzPalette::cpu);
    built_ = true;
  }
  if (details_->isVisibleTo(this) != expanded) details_->setVisible(expanded);
  if (expanded) {
    updateProcesses(app);
    if (buttons_->isVisibleTo(details_) != app.canTerminate) buttons_->setVisible(app.canTerminate);
    if (cannotQuit_->isVisibleTo(details_) == app.canTerminate) cannotQuit_->setVisible(!app.canTerminate);
    updateArmed(armed, qs(app.name));
  } else {
    updateArmed(false, {});
  }
  updateNote(expanded ? note : nullptr);
}

void AppRowView::updateProcesses(const AppUsage& app) {
  const int count = static_cast<int>(app.processes.size());
  while (static_cast<int>(processLines_.size()) < count) {
    const int r = static_cast<int>(processLines_.size());
    ProcessLine line{makeLabel({}, TextRole::tertiary, details_), makeLabel({}, TextRole::callout, details_),
                     makeLabel({}, TextRole::callout, details_)};
    line.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line.value->setFixedSize(line.value->fontMetrics().horizontalAdvance(QString(kValueWidthChars, QChar('8'))),
                             line.value->fontMetrics().height());
    line.name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    processGrid_->addWidget(line.pid, r, 0);
    processGrid_->addWidget(line.name, r, 1);
    processGrid_->addWidget(line.value, r, 2);
    processLines_.push_back(line);
  }
  for (int i = 0; i < static_cast<int>(processLines_.size()); ++i) {
    auto& line = processLines_[static_cast<size_t>(i)];
    const bool shown = i < count;
    if (shown) {
      const auto& p = app.processes[static_cast<size_t>(i)];
      setTextIfChanged(line.pid, "PID " + QString::number(p.pid));
      setTextIfChanged(line.name, qs(p.name));
      setTextIfChanged(line.value, qs(appValueText(metric_, p.footprintBytes, p.cpuFraction)));
    }
    if (line.pid->isVisibleTo(details_) != shown) {
      line.pid->setVisible(shown);
      line.name->setVisible(shown);
      line.value->setVisible(shown);
    }
  }
  shownProcesses_ = count;
}

void AppRowView::updateArmed(bool armed, const QString& name) {
  if (!armed) {
    if (armedBox_) {
      armedBox_->deleteLater();
      armedBox_->hide();
      armedBox_ = nullptr;
      armedCancel_ = armedForce_ = nullptr;
    }
    return;
  }
  if (armedBox_ && armedName_ == name) return;
  if (armedBox_) {
    armedBox_->hide();
    armedBox_->deleteLater();
  }
  armedName_ = name;
  const QString text = qs(localized("Son onay: ")) + QString::fromUtf8("“") + name + QString::fromUtf8("”") +
                       qs(localized(" hemen kapanacak ve kaydedilmemiş değişiklikler kaybolacak."));
  armedBox_ = new NoticeBoxView("exclamationmark.octagon.fill", ArayuzPalette::critical, text, details_);
  auto* buttons = new QWidget(armedBox_);
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 0, 0, 0);
  row->addStretch(1);
  armedCancel_ = new QPushButton(qs(localized("Vazgeç")), buttons);
  armedForce_ = makeDestructiveButton(qs(localized("Zorla kapat")), true, buttons);
  row->addWidget(armedCancel_);
  row->addWidget(armedForce_);
  armedBox_->addBelow(buttons);
  connect(armedCancel_, &QPushButton::clicked, this, [this] { Q_EMIT cancelForceRequested(id_); });
  connect(armedForce_, &QPushButton::clicked, this, [this] { Q_EMIT confirmForceRequested(id_); });
  // Between the quit buttons and the note.
  auto* column = static_cast<QVBoxLayout*>(details_->layout());
  column->insertWidget(column->indexOf(note_), armedBox_);
  armedBox_->show();
}

void AppRowView::updateNote(const ArayuzTerminateNote* note) {
  if (!note) {
    if (note_->isVisibleTo(details_)) note_->setVisible(false);
    return;
  }
  if (noteIsFailure_ != note->isFailure) {
    noteIsFailure_ = note->isFailure;
    setSymbol(noteSymbol_, note->isFailure ? "xmark.circle.fill" : "checkmark.circle", inTone(Tone::secondary), 14);
  }
  setTextIfChanged(noteText_, qs(note->text));
  if (!note_->isVisibleTo(details_)) note_->setVisible(true);
}

// ---- the list ------------------------------------------------------------------------------------

AppListView::AppListView(ArayuzAppMetric metric, Store& store,
                         const Observable<std::optional<ProcessListSnapshot>>& processes, QWidget* parent)
    : QWidget(parent), state_(metric), store_(store), processes_(processes) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  header_ = makeNote(qs(localized(metric == ArayuzAppMetric::memory
                                      ? "Belleğe göre, büyükten küçüğe. Satıra tıklayınca alt süreçler görünür."
                                      : "İşlemci kullanımına göre, büyükten küçüğe. Satıra tıklayınca alt süreçler "
                                        "görünür.")),
                     TextRole::secondaryCallout, this);
  // Only as tall as its lines, so the rows follow it at the list's spacing.
  header_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  header_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  column->addWidget(header_);
  empty_ = makeLabel(QString::fromUtf8("—"), TextRole::secondary, this);
  empty_->setContentsMargins(0, 8, 0, 8);
  column->addWidget(empty_);
  rowBox_ = new RowColumn(this);
  column->addWidget(rowBox_);
  viewport_ = new ViewportWatch(rowBox_, [this] { showRowsInView(); });
  footer_ = makeNote({}, TextRole::secondaryCallout, this);
  column->addWidget(footer_);
  footer_->setVisible(false);
  setAccessibleName(qs(localized("Uygulamalar")));
  token_ = processes_.subscribe([this](const auto&) { reload(); });
  reload();
}

AppListView::~AppListView() {
  // The watcher calls back into this list: it goes first, before the rows it reads.
  delete viewport_;
}

std::vector<AppRowView*> AppListView::rows() const {
  std::vector<AppRowView*> out;
  out.reserve(order_.size());
  for (const auto& id : order_) out.push_back(rowsById_.at(id));
  return out;
}

AppRowView* AppListView::row(const std::string& id) const {
  auto it = rowsById_.find(id);
  return it == rowsById_.end() ? nullptr : it->second;
}

void AppListView::reload() {
  const auto& snapshot = processes_.value();
  const auto list = appListRows(snapshot ? &*snapshot : nullptr, state_.metric());

  std::vector<std::string> order;
  order.reserve(list.size());
  for (const auto& r : list) order.push_back(r.app->id);

  // Rows of apps that left the list go; their state stays keyed by identifier.
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
  for (const auto& r : list) {
    const std::string& id = r.app->id;
    AppRowView*& view = rowsById_[id];
    if (!view) {
      view = new AppRowView(state_.metric(), id, rowBox_);
      connect(view, &AppRowView::toggleRequested, this, &AppListView::toggle);
      connect(view, &AppRowView::quitRequested, this, &AppListView::requestQuit);
      connect(view, &AppRowView::forceRequested, this, &AppListView::requestForce);
      connect(view, &AppRowView::confirmForceRequested, this, &AppListView::confirmForce);
      connect(view, &AppRowView::cancelForceRequested, this, &AppListView::cancelForce);
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
  // Collapsed rows keep their height whatever they show, so the rows are in their places now.
  for (const auto& r : list) {
    const std::string& id = r.app->id;
    AppRowView* view = rowsById_[id];
    const bool expanded = state_.isExpanded(id);
    const bool plain = !expanded && !view->details()->isVisibleTo(view) && view->isBuilt();
    if (plain && !viewport_->inView(view->geometry())) {
      view->button()->setPendingContent(qs(r.app->name), qs(r.valueText), r.fraction);
    } else {
      view->setRow(r, expanded, state_.forceArmedID() == id, state_.note(id));
    }
  }
  const bool empty = order_.empty();
  if (empty_->isVisibleTo(this) != empty) empty_->setVisible(empty);
  if (rowBox_->isVisibleTo(this) == empty) rowBox_->setVisible(!empty);
  const int64_t unreadable = snapshot ? snapshot->unreadableCount : 0;
  if (unreadable > 0) setTextIfChanged(footer_, qs(unreadableFooter(unreadable)));
  if (footer_->isVisibleTo(this) != (unreadable > 0)) footer_->setVisible(unreadable > 0);
}

int AppListView::pendingRowCount() const {
  int n = 0;
  for (const auto& [id, view] : rowsById_) n += view->button()->hasPendingContent() ? 1 : 0;
  return n;
}

void AppListView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  viewport_->attach();
  showRowsInView();
}

void AppListView::showRowsInView() {
  for (const auto& [id, view] : rowsById_) {
    if (view->button()->hasPendingContent() && viewport_->inView(view->geometry())) {
      view->button()->showPendingContent();
    }
  }
}

std::optional<AppUsage> AppListView::rowApp(const std::string& id) const {
  const auto& snapshot = processes_.value();
  if (!snapshot) return std::nullopt;
  for (const auto& app : snapshot->apps) {
    if (app.id == id) return app;
  }
  return std::nullopt;
}

void AppListView::toggle(const std::string& id) {
  state_.toggle(id);
  reload();
}

void AppListView::requestQuit(const std::string& id) {
  auto app = rowApp(id);
  if (!app) return;
  state_.askQuit(*app);
  ConfirmRequest request{inQuotes(app->name) + qs(localized(" kapatılsın mı?")),
                         qs(localized("Uygulama kaydedilmemiş işler için sana sorabilir.")), qs(localized("Kapat")),
                         qs(localized("Vazgeç")), false};
  QPointer<AppListView> self(this);
  askConfirmation(request, this, [self](bool accepted) {
    if (AppListView* list = self.data()) list->answerQuit(accepted);
  });
}

void AppListView::requestForce(const std::string& id) {
  auto app = rowApp(id);
  if (!app) return;
  state_.askForce(*app);
  ConfirmRequest request{inQuotes(app->name) + qs(localized(" zorla kapatılsın mı?")),
                         qs(localized("Zorla kapatılan uygulama kaydetmeni beklemez; kaydedilmemiş değişiklikler "
                                      "kaybolur. Bir sonraki adımda son kez onaylayacaksın.")),
                         qs(localized("Devam et")), qs(localized("Vazgeç")), true};
  QPointer<AppListView> self(this);
  askConfirmation(request, this, [self](bool accepted) {
    if (AppListView* list = self.data()) list->answerForce(accepted);
  });
}

void AppListView::answerQuit(bool accepted) {
  std::optional<AppUsage> candidate = state_.quitCandidate();
  state_.clearQuitCandidate();
  if (accepted && candidate) state_.perform(store_, *candidate, false);
  reload();
}

void AppListView::answerForce(bool accepted) {
  std::optional<AppUsage> candidate = state_.forceCandidate();
  state_.clearForceCandidate();
  if (accepted && candidate) state_.arm(candidate->id);
  reload();
}

void AppListView::confirmForce(const std::string& id) {
  auto app = rowApp(id);
  if (!app) {
    state_.disarm();
    reload();
    return;
  }
  state_.perform(store_, *app, true);
  reload();
}

void AppListView::cancelForce(const std::string&) {
  state_.disarm();
  reload();
}

}  // namespace kovra::ui
