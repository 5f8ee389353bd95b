#pragma once
// The model behind the four detail pages. It copies from the store only what the page shown
// needs and builds that page's history chart; every property notifies only on a real change.

#include <map>
#include <optional>
#include <vector>

#include "core/format.h"
#include "core/records.h"
#include "logic/observable.h"
#include "present/chart_data.h"
#include "present/sensors_content.h"

namespace kovra {

class Store;

// One line of the temperature chart: a part, its name and its colour.
struct ArayuzSensorLine {
  std::string key;
  std::string label;
  ArayuzPalette color = ArayuzPalette::partLine1;
  bool operator==(const ArayuzSensorLine&) const = default;
};

class ArayuzDetailModel {
 public:
  static constexpr int kChartPoints = 300;

  // `store` must outlive the model.
  explicit ArayuzDetailModel(const Store& store);
  ArayuzDetailModel(const ArayuzDetailModel&) = delete;
  ArayuzDetailModel& operator=(const ArayuzDetailModel&) = delete;

  // A page was shown: a change of card resets the chart to ten minutes; then refreshes.
  void activate(CardKind card);
  // The page of `card` disappeared: no page is active any more if it was the active one.
  void deactivate(CardKind card);
  const std::optional<CardKind>& activeDetail() const { return activeDetail_; }
  // Copies the active card's values and redraws its chart; nothing without an active card.
  void refresh();
  void setHistoryRange(ArayuzChartRange range);

  const Observable<Verdict>& verdict(CardKind card) const;
  const Observable<std::optional<MemorySnapshot>>& memory() const { return memory_; }
  const Observable<std::optional<CPUSnapshot>>& cpu() const { return cpu_; }
  const Observable<std::optional<NetworkSnapshot>>& network() const { return network_; }
  const Observable<std::optional<NetworkRates>>& displayRates() const { return displayRates_; }
  const Observable<RateUnit>& rateUnit() const { return rateUnit_; }
  const Observable<std::optional<DiskSnapshot>>& disk() const { return disk_; }
  const Observable<std::optional<ProcessListSnapshot>>& processes() const { return processes_; }
  const Observable<std::optional<std::vector<AppNetworkUsage>>>& appNetwork() const { return appNetwork_; }
  const Observable<ArayuzSensorsContent>& sensors() const { return sensors_; }
  // The temperature chart's lines, in the parts' order; a part keeps its colour while it stays.
  const Observable<std::vector<ArayuzSensorLine>>& sensorLines() const { return sensorLines_; }
  const Observable<ArayuzChartRange>& historyRange() const { return historyRange_; }
  const Observable<std::vector<ArayuzSparkSegment>>& historySegments() const { return historySegments_; }
  const Observable<double>& historyYMax() const { return historyYMax_; }
  const Observable<Date>& historyEnd() const { return historyEnd_; }

 private:
  void refreshHistory();
  void refreshSensors();

  const Store& store_;
  std::optional<CardKind> activeDetail_;
  // One per card of the store's kind table.
  std::map<CardKind, Observable<Verdict>> verdicts_;
  Observable<std::optional<MemorySnapshot>> memory_;
  Observable<std::optional<CPUSnapshot>> cpu_;
  Observable<std::optional<NetworkSnapshot>> network_;
  Observable<std::optional<NetworkRates>> displayRates_;
  Observable<RateUnit> rateUnit_{RateUnit::bytes};
  Observable<std::optional<DiskSnapshot>> disk_;
  Observable<std::optional<ProcessListSnapshot>> processes_;
  Observable<std::optional<std::vector<AppNetworkUsage>>> appNetwork_;
  Observable<ArayuzSensorsContent> sensors_;
  Observable<std::vector<ArayuzSensorLine>> sensorLines_;
  Observable<ArayuzChartRange> historyRange_{ArayuzChartRange::tenMinutes};
  Observable<std::vector<ArayuzSparkSegment>> historySegments_;
  Observable<double> historyYMax_{1.0};
  Observable<Date> historyEnd_;
};

}  // namespace kovra
