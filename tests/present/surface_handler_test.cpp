#include "present/surface_handler.h"

#include "core/log.h"
#include "present/dashboard_model.h"
#include "present/detail_model.h"
#include "present/navigation.h"
#include "store_fixture.h"

namespace kovra {
namespace {

class SurfaceHandlerTest : public testing::StoreFixture {
 protected:
  std::unique_ptr<ArayuzSurfaceHandler> handler(Surface surface, bool tellsOthers) {
    ArayuzSurfaceHandler::Targets targets{*store, *dashboard, surface == Surface::mainWindow ? detail.get() : nullptr,
                                          surface == Surface::mainWindow ? &navigation : nullptr};
    return std::make_unique<ArayuzSurfaceHandler>(surface, executor, targets, tellsOthers);
  }

  std::shared_ptr<ArayuzDashboardModel> dashboard = std::make_shared<ArayuzDashboardModel>(*store);
  std::shared_ptr<ArayuzDetailModel> detail = std::make_shared<ArayuzDetailModel>(*store);
  ArayuzNavigation navigation;
  LogCapture log;
};

TEST_F(SurfaceHandlerTest, ContentIsDroppedHalfASecondAfterHiding) {
  auto main = handler(Surface::mainWindow, false);
  main->onChange(true);
  EXPECT_TRUE(main->isOnScreen().value());
  main->onChange(false);
  advance(0.4);
  main->onChange(true);  // reopened in time: the content stays
  advance(1);
  EXPECT_TRUE(main->isOnScreen().value());

  main->onChange(false);
  advance(0.49);
  EXPECT_TRUE(main->isOnScreen().value());
  advance(0.01);
  EXPECT_FALSE(main->isOnScreen().value());
  EXPECT_EQ(log.count("ana pencere görünür: false (zamanlayıcı: içerik kaldırıldı)"), 1u);
  // Under tests nobody else is told.
  EXPECT_FALSE(store->isVisible(Surface::mainWindow));
  EXPECT_TRUE(dashboard->visibleSurfaces().empty());

  auto panel = handler(Surface::menuPanel, false);
  panel->onChange(true);
  panel->onChange(false);
  advance(1);
  EXPECT_FALSE(panel->isOnScreen().value());
  EXPECT_EQ(log.messages("ui").size(), 1u);  // the panel writes no log line
}

TEST_F(SurfaceHandlerTest, MainWindowTellsStoreAndModelsThenRefreshesAfterReadings) {
  auto panel = handler(Surface::menuPanel, true);
  auto main = handler(Surface::mainWindow, true);
  panel->onChange(true);
  executor.runPending();
  EXPECT_TRUE(store->isVisible(Surface::menuPanel));

  navigation.open(CardKind::network);
  detail->activate(CardKind::cpu);
  cpuSampler->box.set(CPUSnapshot{0.42, 0.3, 0.12, 4});
  advance(1);
  main->onChange(true);
  EXPECT_TRUE(store->isVisible(Surface::mainWindow));
  EXPECT_TRUE(store->isVisible(Surface::networkDetail));
  EXPECT_EQ(dashboard->visibleSurfaces(), (std::set<Surface>{Surface::menuPanel, Surface::mainWindow}));
  executor.runPending();  // the immediate readings arrive, then both models refresh
  EXPECT_EQ(dashboard->cpuText().value(), "%42");
  EXPECT_EQ(detail->cpu().value(), store->cpu());

  main->onChange(false);
  EXPECT_FALSE(store->isVisible(Surface::mainWindow));
  EXPECT_FALSE(store->isVisible(Surface::networkDetail));
  EXPECT_EQ(dashboard->visibleSurfaces(), std::set<Surface>{Surface::menuPanel});
}

TEST_F(SurfaceHandlerTest, PanelRefreshesTheDashboardButNotTheDetail) {
  auto panel = handler(Surface::menuPanel, true);
  detail->activate(CardKind::cpu);
  cpuSampler->box.set(CPUSnapshot{0.42, 0.3, 0.12, 4});
  panel->onChange(true);
  executor.runPending();
  EXPECT_EQ(dashboard->cpuText().value(), "%42");
  EXPECT_FALSE(detail->cpu().value());
  EXPECT_FALSE(store->isVisible(Surface::networkDetail));
}

TEST_F(SurfaceHandlerTest, TickRefreshesOnlyWhatIsShown) {
  auto tick = makeModelTick(dashboard, detail);
  cpuSampler->box.set(CPUSnapshot{0.42, 0.3, 0.12, 4});
  read();
  testing::ChangeCounter dashboardChanges(dashboard->cpuText());
  testing::ChangeCounter detailChanges(detail->cpu());
  tick();
  EXPECT_EQ(dashboardChanges.count + detailChanges.count, 0);

  dashboard->setVisible(Surface::menuPanel, true);
  detail->activate(CardKind::cpu);
  advance(1);
  cpuSampler->box.set(CPUSnapshot{0.5, 0.3, 0.2, 4});
  read();
  tick();
  EXPECT_EQ(dashboard->cpuText().value(), "%50");
  EXPECT_DOUBLE_EQ(detail->cpu().value()->usage, 0.5);

  dashboard.reset();
  detail.reset();
  tick();  // both gone: nothing happens
}

}  // namespace
}  // namespace kovra
