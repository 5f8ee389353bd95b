#include "ui/pages/sensors_page_view.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/localize.h"
#include "logic/sensors_rules.h"
#include "present/detail_model.h"
#include "present/palette.h"
#include "ui/pages/history_chart_view.h"
#include "ui/pages/page_style.h"

namespace kovra::ui {

namespace {

QString rowValue(const ArayuzSensorRow& row) {
  return row.limit.empty() ? qs(row.value) : qs(row.value) + QString::fromUtf8(" · ") + qs(row.limit);
}

QString rowLabel(const ArayuzSensorRow& row) {
  return row.detail.empty() ? qs(row.name) : qs(row.name) + QString::fromUtf8(" (") + qs(row.detail) + ")";
}

// Whether `rows` already show `wanted`'s names in order (only the values changed).
bool sameNames(const std::vector<KeyValueRowView*>& rows, const std::vector<ArayuzSensorRow>& wanted) {
  if (rows.size() != wanted.size()) return false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i]->property("label").toString() != rowLabel(wanted[i])) return false;
  }
  return true;
}

}  // namespace

SensorsDetailView::SensorsDetailView(const PageContext& context, QWidget* parent)
    : DetailScaffoldView(qs(ArayuzCardInfo::title(CardKind::sensors)), parent), detail_(context.detail) {
  big_ = new BigValueView(qs(Format::placeholder), {}, PageMetrics::kBigFigure, QString::fromUtf8("100 °C"));
  header_ = new DetailHeaderView(CardKind::sensors, big_);
  addContent(header_);
  history_ = new HistorySectionView(detail_, {}, [](double v) { return qs(MantikSensorTexts::celsius(v)); });
  addContent(history_);

  auto* details = new DetailSectionView(qs(localized("Detay")));
  auto* rowsBox = new QWidget(details);
  rows_ = new QVBoxLayout(rowsBox);
  rows_->setContentsMargins(0, 0, 0, 0);
  rows_->setSpacing(6);
  details->addContent(rowsBox);

  rawToggle_ = new QToolButton(details);
  rawToggle_->setText(qs(localized("Sensör adları", "Sıcaklık sayfası")));
  rawToggle_->setCheckable(true);
  rawToggle_->setAutoRaise(true);
  rawToggle_->setArrowType(Qt::RightArrow);
  rawToggle_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  details->addContent(rawToggle_);
  raw_ = makeNote({}, TextRole::secondaryCallout, details);
  raw_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  raw_->setVisible(false);
  details->addContent(raw_);
  connect(rawToggle_, &QToolButton::toggled, this, [this](bool open) {
    rawToggle_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    raw_->setVisible(open);
  });
  addContent(details);
  addContent(makeNote(qs(localized("Sınır, parçanın kendi bildirdiği kritik sıcaklıktır. Pencere ve menü paneli "
                                   "kapalıyken sıcaklık ölçülmez; grafikteki boşluklar bu yüzdendir.")),
                      TextRole::secondaryCallout));

  tokens_.push_back(detail_.sensors().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.sensorLines().subscribe([this](const auto&) { reloadLines(); }));
  tokens_.push_back(detail_.verdict(CardKind::sensors).subscribe([this](const auto&) { reload(); }));
  detail_.activate(CardKind::sensors);
  reloadLines();
  reload();
}

SensorsDetailView::~SensorsDetailView() { detail_.deactivate(CardKind::sensors); }

void SensorsDetailView::reloadLines() {
  std::vector<HistorySectionView::LineSpec> lines;
  for (const auto& line : detail_.sensorLines().value()) lines.emplace_back(line.key, qs(line.label), line.color);
  history_->setLines(lines);
  history_->reload();
}

void SensorsDetailView::reload() {
  header_->setVerdict(detail_.verdict(CardKind::sensors).value());
  const ArayuzSensorsContent& c = detail_.sensors().value();
  big_->setPrimary(qs(c.focusValue));
  big_->setSecondary(qs(c.focusName));

  if (!sameNames(partRows_, c.parts) || !sameNames(fanRows_, c.fans)) {
    for (auto* row : partRows_) delete row;
    for (auto* row : fanRows_) delete row;
    delete fanDivider_;
    partRows_.clear();
    fanRows_.clear();
    fanDivider_ = nullptr;
    auto make = [this](const ArayuzSensorRow& r, std::vector<KeyValueRowView*>& into) {
      auto* row = new KeyValueRowView(rowLabel(r), rowValue(r));
      row->setProperty("label", rowLabel(r));
      rows_->addWidget(row);
      into.push_back(row);
    };
    for (const auto& r : c.parts) make(r, partRows_);
    if (!c.parts.empty() && !c.fans.empty()) {
      fanDivider_ = makeDivider();
      rows_->addWidget(fanDivider_);
    }
    for (const auto& r : c.fans) make(r, fanRows_);
  }
  for (size_t i = 0; i < partRows_.size(); ++i) partRows_[i]->setValue(rowValue(c.parts[i]));
  for (size_t i = 0; i < fanRows_.size(); ++i) fanRows_[i]->setValue(rowValue(c.fans[i]));

  QStringList raw;
  for (const auto& line : c.rawSensors) raw << qs(line);
  setTextIfChanged(raw_, raw.join('\n'));
  rawToggle_->setVisible(!raw.isEmpty());
}

}  // namespace kovra::ui
