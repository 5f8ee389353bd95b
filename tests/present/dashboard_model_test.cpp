#include "present/dashboard_model.h"

#include "store_fixture.h"

namespace kovra {
namespace {

const std::string kDash = "\u2014";

AppUsage app(std::string name, std::optional<double> cpu) {
  AppUsage a;
  a.id = "id." + name;
  a.name = std::move(name);
  a.kind = AppGroupKind::app;
  a.bundlePath = "/usr/share/applications/" + a.name + ".desktop";
  a.cpuFraction = cpu;
  return a;
}

class DashboardModelTest : public testing::StoreFixture {
 protected:
  void readEverything() {
    memorySampler->box.set(MemorySnapshot{8ull << 30, 3ull << 30, 1ull << 30, 0, 2ull << 30, MemoryPressure::normal,
                                          std::nullopt});
    cpuSampler->box.set(CPUSnapshot{0.25, 0.2, 0.05, 8});
    networkSampler->box.set(testing::networkAt(2'000'000, 0));
    diskSampler->box.set(DiskSnapshot{500'000'000'000, 125'000'000'000, "Ev"});
    processSampler->box.set(ProcessListSnapshot{{app("a", 0.1), app("b", std::nullopt), app("c", 0.3)}, 0});
    BatterySnapshot b;
    b.chargeFraction = 0.5;
    batterySampler->box.set(std::optional<BatterySnapshot>(b));
    read();
  }
};

TEST_F(DashboardModelTest, TextsBeforeAndAfterReadings) {
  ArayuzDashboardModel model(*store);
  EXPECT_EQ(model.memoryTemplate, "127,6 GB");
  EXPECT_EQ(model.diskTemplate, "888 GB");
  EXPECT_EQ(model.percentTemplate, "%100");
  EXPECT_EQ(model.headline().value(), (Verdict{std::nullopt, Severity::neutral, kDash}));
  EXPECT_EQ(model.verdict(CardKind::disk).value(), (Verdict{CardKind::disk, Severity::neutral, kDash}));
  for (const auto* text : {&model.memoryUsedText(), &model.downloadText(), &model.uploadText(),
                           &model.diskFreeText(), &model.cpuText()}) {
    EXPECT_EQ(text->value(), kDash);
  }
  EXPECT_EQ(model.memoryTotalLine().value(), "kullanılıyor / " + kDash);
  EXPECT_EQ(model.diskTotalLine().value(), "boş / " + kDash);
  EXPECT_EQ(model.rateTemplate().value(), "888,8 MB/s");
  EXPECT_EQ(model.connection().value(), ArayuzConnectionInfo{});
  EXPECT_FALSE(model.diskUsedFraction().value());
  EXPECT_FALSE(model.battery().value());
  EXPECT_TRUE(model.topCPUApps().value().empty());
  EXPECT_TRUE(model.memorySpark().value().empty());

  readEverything();
  model.refresh();
  EXPECT_EQ(model.memoryUsedText().value(), "4,0 GB");
  EXPECT_EQ(model.memoryTotalLine().value(), "kullanılıyor / 8,0 GB");
  EXPECT_EQ(model.downloadText().value(), "2,0 MB/s");
  EXPECT_EQ(model.uploadText().value(), "0 KB/s");
  EXPECT_EQ(model.diskFreeText().value(), "125 GB");
  EXPECT_EQ(model.diskTotalLine().value(), "boş / 500 GB");
  EXPECT_DOUBLE_EQ(*model.diskUsedFraction().value(), 0.75);
  EXPECT_EQ(model.cpuText().value(), "%25");
  EXPECT_EQ(model.connection().value(),
            (ArayuzConnectionInfo{ConnectionKind::wifi, "192.168.1.20", 5'000'000u, 70'000u}));
  EXPECT_TRUE(model.battery().value());
  EXPECT_EQ(model.memory().value(), store->memory());
  for (CardKind card : kAllCardKinds) EXPECT_EQ(model.verdict(card).value(), store->verdict(card));
  EXPECT_EQ(model.headline().value(), store->headline());

  // Only apps with a processor share, busiest first.
  const auto& top = model.topCPUApps().value();
  ASSERT_EQ(top.size(), 2u);
  EXPECT_EQ(top[0].name, "c");
  EXPECT_EQ(top[0].percentText, "%30");
  EXPECT_EQ(top[1].id, "id.a");
  EXPECT_EQ(top[1].bundlePath, "/usr/share/applications/a.desktop");

  // One reading so far: single-point sparklines at the right edge.
  ASSERT_EQ(model.cpuSpark().value().size(), 1u);
  EXPECT_EQ(model.cpuSpark().value()[0].points, (std::vector<ArayuzUnitPoint>{{1, 0.25}}));
  ASSERT_EQ(model.networkSpark().value().size(), 2u);
  EXPECT_EQ(model.networkSpark().value()[0].id, "networkDownload-0");
  EXPECT_NEAR(model.networkSpark().value()[0].points[0].y, 1 / 1.15, 1e-12);
  EXPECT_EQ(model.networkSpark().value()[1].color, ArayuzPalette::upload);
}

TEST_F(DashboardModelTest, EmptyDiskAndUnitSwitch) {
  diskSampler->box.set(DiskSnapshot{0, 0, std::nullopt});
  networkSampler->box.set(testing::networkAt(10'000, 0));
  read();
  ArayuzDashboardModel model(*store);
  EXPECT_EQ(model.diskUsedFraction().value(), 0.0);
  EXPECT_EQ(model.downloadText().value(), "10 KB/s");
  // Small rates sit on a scale of at least 50 kB/s.
  EXPECT_EQ(model.networkSpark().value()[1].points[0].y, 0);
  EXPECT_NEAR(model.networkSpark().value()[0].points[0].y, 0.2, 1e-12);

  settings->setRateUnit(RateUnit::bits);
  EXPECT_EQ(model.downloadText().value(), "10 KB/s");  // until the next refresh
  model.refresh();
  EXPECT_EQ(model.downloadText().value(), "80 Kbps");
  EXPECT_EQ(model.rateTemplate().value(), "7,1 Gbps");
}

TEST_F(DashboardModelTest, RepeatedRefreshWakesNobody) {
  readEverything();
  ArayuzDashboardModel model(*store);
  testing::ChangeCounter text(model.memoryUsedText());
  testing::ChangeCounter spark(model.memorySpark());
  testing::ChangeCounter apps(model.topCPUApps());
  model.refresh();
  EXPECT_EQ(text.count + spark.count + apps.count, 0);
  advance(2);
  memorySampler->box.set(MemorySnapshot{8ull << 30, 5ull << 30, 1ull << 30, 0, 0, std::nullopt, std::nullopt});
  read();
  model.refresh();
  EXPECT_EQ(text.count, 1);
  EXPECT_EQ(spark.count, 1);
  EXPECT_EQ(apps.count, 0);
}

TEST_F(DashboardModelTest, VisibilityRefreshesOnlyWhenTheFirstSurfaceAppears) {
  ArayuzDashboardModel model(*store);
  cpuSampler->box.set(CPUSnapshot{0.5, 0.4, 0.1, 4});
  read();
  model.setVisible(Surface::mainWindow, true);
  EXPECT_EQ(model.cpuText().value(), "%50");

  advance(1);
  cpuSampler->box.set(CPUSnapshot{0.75, 0.4, 0.1, 4});
  read();
  model.setVisible(Surface::menuPanel, true);  // the window already showed it: no refresh here
  EXPECT_EQ(model.cpuText().value(), "%50");

  model.setVisible(Surface::mainWindow, false);
  model.setVisible(Surface::menuPanel, false);
  EXPECT_TRUE(model.visibleSurfaces().empty());
  EXPECT_EQ(model.cpuText().value(), "%50");  // hiding clears nothing
  model.setVisible(Surface::menuPanel, true);
  EXPECT_EQ(model.cpuText().value(), "%75");
}

}  // namespace
}  // namespace kovra
