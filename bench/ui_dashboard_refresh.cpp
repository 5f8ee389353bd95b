// GUI-thread cost of one dashboard refresh over full one-hour histories: the model's refresh
// after a new set of readings, the views updating their labels in place, and painting the
// window's dashboard (full) and the menu panel (compact). Runs on Qt's offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "present/dashboard_model.h"
#include "store/store.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/menu_panel_content.h"
#include "ui/pages/card_table.h"

#include "wandering_world.h"

namespace kovra {
namespace {

// More than an hour of virtual time with the window open fills every ring.
struct World : bench::WanderingStore {
  World() : WanderingStore(bench::wanderingSamplers(), {Surface::mainWindow}, 4000) {
    model = std::make_unique<ArayuzDashboardModel>(*store);
    model->setVisible(Surface::mainWindow, true);
    window = std::make_unique<ui::DashboardView>(*store, *model, ui::cardTable(), ui::ArayuzCardSize::full);
    window->resize(820, 760);
    window->show();
    panel = std::make_unique<ui::MenuPanelContent>(*store, *model, ui::cardTable());
    panel->adjustSize();
    panel->show();
    QApplication::processEvents();
  }

  // Two seconds of readings (one label tick), applied by the store.
  void nextReadings() { executor.advance(2); }

  std::unique_ptr<ArayuzDashboardModel> model;
  std::unique_ptr<ui::DashboardView> window;
  std::unique_ptr<ui::MenuPanelContent> panel;
};

World& world() {
  static World w;
  return w;
}

// The model alone, for comparison: what the views add is the difference.
void ModelRefreshOnly(benchmark::State& state) {
  auto& w = world();
  w.window->hide();
  w.panel->hide();
  for (auto _ : state) {
    state.PauseTiming();
    w.nextReadings();
    state.ResumeTiming();
    w.model->refresh();
  }
}
BENCHMARK(ModelRefreshOnly)->Unit(benchmark::kMicrosecond);

// A refresh with the views on screen: the model's refresh, the labels updated in place, and the
// layout and painting of what changed that Qt does on the next pass of the event loop (into the
// offscreen platform's backing store).
void DashboardRefresh(benchmark::State& state) {
  auto& w = world();
  const int which = static_cast<int>(state.range(0));
  w.window->setVisible(which != 1);
  w.panel->setVisible(which != 0);
  QApplication::processEvents();
  for (auto _ : state) {
    state.PauseTiming();
    w.nextReadings();
    state.ResumeTiming();
    w.model->refresh();
    QApplication::processEvents();
  }
  state.SetLabel(which == 0 ? "window (full)" : which == 1 ? "menu panel (compact)" : "window and panel");
}
BENCHMARK(DashboardRefresh)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Painting everything once, for scale: what a refresh would cost if it repainted the whole view.
void FullRepaint(benchmark::State& state) {
  auto& w = world();
  w.window->show();
  QImage image(w.window->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) w.window->render(&image);
  state.SetLabel("window (full), every widget");
}
BENCHMARK(FullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kovra

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
