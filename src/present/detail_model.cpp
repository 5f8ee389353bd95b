#include "present/detail_model.h"

#include "logic/sensors_rules.h"
#include "store/kinds.h"
#include "store/store.h"

namespace kovra {

namespace {
Verdict placeholder(CardKind card) { return Verdict{card, Severity::neutral, std::string(Format::placeholder)}; }
}  // namespace

ArayuzDetailModel::ArayuzDetailModel(const Store& store)
    : store_(store), historyEnd_(store.clock().now()) {
  for (const SampleKindRow& row : sampleKindTable()) {
    if (row.card) verdicts_.emplace(*row.card, placeholder(*row.card));
  }
}

const Observable<Verdict>& ArayuzDetailModel::verdict(CardKind card) const { return verdicts_.at(card); }

void ArayuzDetailModel::activate(CardKind card) {
  if (activeDetail_ != card) {
    activeDetail_ = card;
    historyRange_.set(ArayuzChartRange::tenMinutes);
  }
  refresh();
}

void ArayuzDetailModel::deactivate(CardKind card) {
  if (activeDetail_ == card) activeDetail_.reset();
}

void ArayuzDetailModel::refresh() {
  if (!activeDetail_) return;
  verdicts_.at(*activeDetail_).set(store_.verdict(*activeDetail_));
  switch (*activeDetail_) {
    case CardKind::memory:
      memory_.set(store_.memory());
      processes_.set(store_.processes());
      break;
    case CardKind::network:
      rateUnit_.set(store_.settings().rateUnit());
      displayRates_.set(store_.displayRates());
      network_.set(store_.network());
      appNetwork_.set(store_.appNetwork());
      break;
    case CardKind::disk:
      disk_.set(store_.disk());
      break;
    case CardKind::cpu:
      cpu_.set(store_.cpu());
      processes_.set(store_.processes());
      break;
    case CardKind::sensors:
      refreshSensors();
      break;
  }
  refreshHistory();
}

void ArayuzDetailModel::setHistoryRange(ArayuzChartRange range) {
  if (historyRange_.set(range)) refreshHistory();
}

void ArayuzDetailModel::refreshSensors() {
  const auto& sensors = store_.sensors();
  sensors_.set(makeSensorsContent(sensors, store_.sensorLevels()));
  std::vector<ArayuzSensorLine> lines;
  if (sensors) {
    for (const auto& part : sensors->parts) {
      lines.push_back({MantikSensorTexts::partKey(part), MantikSensorTexts::partName(*sensors, part),
                       partLineColour(lines.size())});
    }
  }
  sensorLines_.set(std::move(lines));
}

void ArayuzDetailModel::refreshHistory() {
  if (activeDetail_ == CardKind::sensors) {
    std::vector<ArayuzKeyedLine> lines;
    for (const auto& line : sensorLines_.value()) lines.push_back({line.key, line.color});
    const Date end = store_.clock().now();
    const double duration = spanSeconds(historyRange_.value());
    // Temperatures are read against 100 °C unless a part runs hotter.
    auto chart = buildKeyedChart(
        lines, [this](std::string_view key, double seconds) { return store_.sensorHistory(key, seconds); },
        std::nullopt, 100, duration, end, kChartPoints);
    historyEnd_.set(end);
    historyYMax_.set(chart.yMax);
    historySegments_.set(std::move(chart.segments));
    return;
  }
  auto config = activeDetail_ ? historyConfig(*activeDetail_) : std::nullopt;
  if (!config) {
    historySegments_.set({});
    return;
  }
  const Date end = store_.clock().now();
  const double duration = spanSeconds(historyRange_.value());
  auto chart = buildHistoryChart(
      *config, [this](SeriesKind series, double seconds) { return store_.history(series, seconds); }, duration, end,
      kChartPoints);
  historyEnd_.set(end);
  historyYMax_.set(chart.yMax);
  historySegments_.set(std::move(chart.segments));
}

}  // namespace kovra
