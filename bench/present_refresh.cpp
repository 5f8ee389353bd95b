// Cost of refreshing the presentation models over full one-hour histories (13,868 points in the
// four rings), and of a label tick while nothing is shown.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "present/chart_data.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "present/menu_bar_label_model.h"
#include "present/surface_handler.h"
#include "store/store.h"

#include "wandering_world.h"

namespace kovra {
namespace {

// Sampled for more than an hour of virtual time with the window open, so every ring is full;
// then the window is closed.
struct World : bench::WanderingStore {
  World() : WanderingStore(bench::wanderingSamplers(), {Surface::mainWindow}, 4000) {
    store->setVisible(Surface::mainWindow, false);
    dashboard = std::make_shared<ArayuzDashboardModel>(*store);
    detail = std::make_shared<ArayuzDetailModel>(*store);
    label = std::make_unique<ArayuzMenuBarLabelModel>(*store, executor, measurer);
  }

  size_t storedPoints() const {
    size_t n = 0;
    for (auto s : kAllSeriesKinds) n += store->historyBuffers().ring(s).count();
    return n;
  }

  ArayuzFixedWidthMeasurer measurer;
  std::shared_ptr<ArayuzDashboardModel> dashboard;
  std::shared_ptr<ArayuzDetailModel> detail;
  std::unique_ptr<ArayuzMenuBarLabelModel> label;
};

World& world() {
  static World w;
  return w;
}

void DashboardRefresh(benchmark::State& state) {
  auto& w = world();
  for (auto _ : state) w.dashboard->refresh();
  state.counters["storedPoints"] = static_cast<double>(w.storedPoints());
}
BENCHMARK(DashboardRefresh)->Unit(benchmark::kMicrosecond);

void DetailRefresh(benchmark::State& state) {
  auto& w = world();
  const auto card = static_cast<CardKind>(state.range(0));
  const auto range = static_cast<ArayuzChartRange>(state.range(1));
  w.detail->activate(card);
  w.detail->setHistoryRange(range);
  for (auto _ : state) w.detail->refresh();
  size_t points = 0;
  for (const auto& s : w.detail->historySegments().value()) points += s.points.size();
  size_t read = 0;
  if (auto config = historyConfig(card)) {
    for (const auto& line : config->lines) read += w.store->history(line.series, spanSeconds(range)).size();
  }
  state.counters["historyPoints"] = static_cast<double>(read);
  state.counters["chartPoints"] = static_cast<double>(points);
  state.SetLabel(std::string(rawValue(card)) + " / " + std::string(rawValue(range)));
}
BENCHMARK(DetailRefresh)
    ->Args({static_cast<int>(CardKind::network), static_cast<int>(ArayuzChartRange::oneHour)})
    ->Args({static_cast<int>(CardKind::cpu), static_cast<int>(ArayuzChartRange::oneHour)})
    ->Args({static_cast<int>(CardKind::memory), static_cast<int>(ArayuzChartRange::tenMinutes)})
    ->Unit(benchmark::kMicrosecond);

// The 2-second tick with no surface visible and no detail page: the label's unchanged refresh
// plus a tick that touches neither model.
void TickWithNothingShown(benchmark::State& state) {
  auto& w = world();
  w.detail->deactivate(*w.detail->activeDetail());
  auto tick = makeModelTick(w.dashboard, w.detail);
  for (auto _ : state) {
    w.label->refresh();
    tick();
  }
}
BENCHMARK(TickWithNothingShown)->Unit(benchmark::kMicrosecond);

void ChartPrepareOneHour(benchmark::State& state) {
  std::vector<HistoryPoint> points;
  Date t0 = std::chrono::system_clock::now();
  for (int i = 0; i < 3600; ++i) points.push_back({t0 + std::chrono::seconds(i), i % 17 * 1000.0});
  for (auto _ : state) {
    auto p = ArayuzChartData::prepare(points, "networkDownload", ArayuzPalette::download, 300, 0);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(ChartPrepareOneHour)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kovra

BENCHMARK_MAIN();
