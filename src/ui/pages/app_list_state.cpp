#include "ui/pages/app_list_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/format.h"
#include "core/log.h"
#include "store/store.h"

namespace kovra::ui {

std::string appValueText(ArayuzAppMetric metric, uint64_t footprintBytes, const std::optional<double>& cpuFraction) {
  if (metric == ArayuzAppMetric::memory) return Format::memoryText(static_cast<double>(footprintBytes));
  if (cpuFraction && std::isfinite(*cpuFraction) && *cpuFraction >= 0) {
    if (auto n = Format::wholeNumber(*cpuFraction * 100)) return "%" + *n;
  }
  return std::string(Format::placeholder);
}

namespace {

double metricValue(const AppUsage& app, ArayuzAppMetric metric) {
  if (metric == ArayuzAppMetric::memory) return static_cast<double>(app.footprintBytes);
  const double v = app.cpuFraction.value_or(0);
  return std::isfinite(v) && v > 0 ? v : 0;
}

}  // namespace

std::vector<AppListRow> appListRows(const ProcessListSnapshot* snapshot, ArayuzAppMetric metric) {
  std::vector<AppListRow> rows;
  if (!snapshot) return rows;
  rows.reserve(snapshot->apps.size());
  for (const auto& app : snapshot->apps) {
    if (metric == ArayuzAppMetric::cpu && !app.cpuFraction) continue;
    rows.push_back({&app, 0, {}});
  }
  if (metric == ArayuzAppMetric::cpu) {
    // Largest share first, a NaN share last; equal shares keep the snapshot's order.
    auto key = [](const AppListRow& r) {
      return std::isnan(*r.app->cpuFraction) ? -std::numeric_limits<double>::infinity() : *r.app->cpuFraction;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const AppListRow& a, const AppListRow& b) { return key(a) > key(b); });
  }
  double largest = 0;
  for (const auto& row : rows) largest = std::max(largest, metricValue(*row.app, metric));
  for (auto& row : rows) {
    row.fraction = largest > 0 ? std::clamp(metricValue(*row.app, metric) / largest, 0.0, 1.0) : 0.0;
    row.valueText = appValueText(metric, row.app->footprintBytes, row.app->cpuFraction);
  }
  return rows;
}

void AppListState::toggle(const std::string& id) {
  if (!expanded_.erase(id)) expanded_.insert(id);
}

const ArayuzTerminateNote* AppListState::note(const std::string& id) const {
  auto it = notes_.find(id);
  return it == notes_.end() ? nullptr : &it->second;
}

TerminateOutcome AppListState::perform(Store& store, const AppUsage& app, bool force) {
  const AppUsage* target = &app;
  if (const auto& list = store.processes()) {
    auto it = std::find_if(list->apps.begin(), list->apps.end(), [&](const AppUsage& a) { return a.id == app.id; });
    if (it != list->apps.end()) target = &*it;
  }
  // The store may replace its process list while we work; keep what we need.
  const AppUsage chosen = *target;
  const TerminateOutcome outcome = store.terminate(chosen, force);
  forceArmedID_.reset();
  notes_[chosen.id] = ArayuzTerminateNote(outcome, chosen.name, force);
  if (outcome == TerminateOutcome::notAllowed || outcome == TerminateOutcome::failed) {
    Log::ui.error("Kapatma başarısız: " + chosen.name + ", zorla: " + (force ? "1" : "0"));
  }
  return outcome;
}

}  // namespace kovra::ui
