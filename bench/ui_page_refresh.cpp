// GUI-thread cost of one refresh of each detail page (model copy, widget updates, layout and
// painting on the offscreen platform) with full one-hour histories and 2,000 processes in 150
// apps; and the cost of a tick while no page is shown. The CPU column counts every thread of the
// process: the raster engine hands large fills to a thread pool.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "store/store.h"
#include "ui/pages/detail_pages.h"

#include "wandering_world.h"

namespace kovra {
namespace {

constexpr int kApps = 150;
constexpr int kProcesses = 2000;

// 150 apps with 2,000 processes between them, every value moving a little on each reading.
class WanderingProcesses final : public ProcessSampling {
 public:
  SampleResult<ProcessListSnapshot> sample() override {
    ++n_;
    ProcessListSnapshot s;
    int pid = 100;
    for (int a = 0; a < kApps; ++a) {
      AppUsage app;
      app.id = "/usr/share/applications/app" + std::to_string(a) + ".desktop";
      app.name = "Uygulama " + std::to_string(a);
      app.kind = AppGroupKind::app;
      app.bundlePath = app.id;
      app.canTerminate = true;
      const int count = kProcesses / kApps + (a < kProcesses % kApps ? 1 : 0);
      double cpu = 0;
      for (int p = 0; p < count; ++p) {
        ProcessEntry e;
        e.pid = pid++;
        e.name = "süreç-" + std::to_string(e.pid);
        e.footprintBytes = static_cast<uint64_t>(3e7 * (1 + std::sin(n_ * 0.3 + e.pid)) + 1e6);
        e.cpuFraction = 0.002 * (1 + std::cos(n_ * 0.2 + e.pid));
        cpu += *e.cpuFraction;
        app.footprintBytes += e.footprintBytes;
        app.processes.push_back(std::move(e));
      }
      app.cpuFraction = cpu;
      s.apps.push_back(std::move(app));
    }
    std::sort(s.apps.begin(), s.apps.end(),
              [](const AppUsage& x, const AppUsage& y) { return x.footprintBytes > y.footprintBytes; });
    s.unreadableCount = 12;
    return s;
  }

 private:
  double n_ = 0;
};

// Cumulative traffic for one process of each app.
class WanderingTraffic final : public ProcessNetworkSampling {
 public:
  SampleResult<ProcessNetworkSnapshot> sample() override {
    ++n_;
    ProcessNetworkSnapshot s;
    for (int a = 0; a < 40; ++a) {
      const int pid = 100 + a * (kProcesses / kApps);
      s.entries.push_back({pid, "süreç-" + std::to_string(pid), 0, 0, static_cast<uint64_t>(n_ * 1e5 * (a + 1)),
                           static_cast<uint64_t>(n_ * 1e4 * (a + 1))});
    }
    return s;
  }

 private:
  double n_ = 0;
};

// Every history ring full, with the window and the network page open.
SamplerSet pageSamplers() {
  SamplerSet set = bench::wanderingSamplers(/*growingTotals=*/true);
  set.processes = std::make_shared<WanderingProcesses>();
  set.processNetwork = std::make_shared<WanderingTraffic>();
  return set;
}

struct World : bench::WanderingStore {
  World() : WanderingStore(pageSamplers(), {Surface::mainWindow, Surface::networkDetail}, 3700) {
    dashboard = std::make_unique<ArayuzDashboardModel>(*store);
    detail = std::make_unique<ArayuzDetailModel>(*store);
  }

  std::unique_ptr<ArayuzDashboardModel> dashboard;
  std::unique_ptr<ArayuzDetailModel> detail;
};

World& world() {
  static World w;
  return w;
}

// The page of `card` at the main window's default size, laid out and painted once.
std::unique_ptr<QWidget> showPage(World& w, CardKind card) {
  std::unique_ptr<QWidget> page(
      ui::makeDetailPage(card, ui::PageContext{*w.store, *w.detail, *w.dashboard, w.executor, false}));
  page->resize(820, 760);
  page->show();
  QApplication::processEvents();
  return page;
}

// One tick with fresh readings: the readings arrive outside the measured time (they are the
// store's work); the model copy, the page's widget updates, layout and painting are measured.
void BM_PageRefresh(benchmark::State& state) {
  auto& w = world();
  const auto card = static_cast<CardKind>(state.range(0));
  auto page = showPage(w, card);
  for (auto _ : state) {
    state.PauseTiming();
    w.executor.advance(3);  // a process reading and new history points land
    state.ResumeTiming();
    w.detail->refresh();
    QApplication::processEvents();
  }
  state.SetLabel(std::string(rawValue(card)));
}
// The same tick split in two: the model copy and the page's widget updates (which post layout
// and paint requests), then the event turn that lays out and paints.
void BM_PageRefreshParts(benchmark::State& state) {
  auto& w = world();
  const auto card = static_cast<CardKind>(state.range(0));
  const bool paint = state.range(1) != 0;
  auto page = showPage(w, card);
  for (auto _ : state) {
    state.PauseTiming();
    w.executor.advance(3);
    if (paint) {
      w.detail->refresh();
      state.ResumeTiming();
      QApplication::processEvents();
    } else {
      state.ResumeTiming();
      w.detail->refresh();
      state.PauseTiming();
      QApplication::processEvents();
      state.ResumeTiming();
    }
  }
  state.SetLabel(std::string(rawValue(card)) + (paint ? " layout+paint" : " model+widgets"));
}
BENCHMARK(BM_PageRefreshParts)
    ->Args({static_cast<int>(CardKind::memory), 0})
    ->Args({static_cast<int>(CardKind::memory), 1})
    ->Args({static_cast<int>(CardKind::cpu), 0})
    ->Args({static_cast<int>(CardKind::cpu), 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(100);

// The detail model alone (no page), for comparison.
void BM_ModelOnly(benchmark::State& state) {
  auto& w = world();
  const auto card = static_cast<CardKind>(state.range(0));
  w.detail->activate(card);
  for (auto _ : state) {
    state.PauseTiming();
    w.executor.advance(3);
    state.ResumeTiming();
    w.detail->refresh();
  }
  w.detail->deactivate(card);
  state.SetLabel(std::string(rawValue(card)));
}
BENCHMARK(BM_ModelOnly)
    ->Arg(static_cast<int>(CardKind::memory))
    ->Arg(static_cast<int>(CardKind::cpu))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

BENCHMARK(BM_PageRefresh)
    ->Arg(static_cast<int>(CardKind::memory))
    ->Arg(static_cast<int>(CardKind::network))
    ->Arg(static_cast<int>(CardKind::disk))
    ->Arg(static_cast<int>(CardKind::cpu))
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(200);

// The label tick refreshes the detail model only while a page is active: with no page shown
// the pages cost nothing at all.
void BM_TickWithNoPageShown(benchmark::State& state) {
  auto& w = world();
  for (auto _ : state) {
    state.PauseTiming();
    w.executor.advance(3);
    state.ResumeTiming();
    if (w.detail->activeDetail()) w.detail->refresh();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_TickWithNoPageShown)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace kovra

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("XCTestConfigurationFilePath", "kovra", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
