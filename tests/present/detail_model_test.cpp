#include "present/detail_model.h"

#include "store_fixture.h"

namespace kovra {
namespace {

const std::string kDash = "\u2014";

ProcessListSnapshot processesNamed(const std::string& name) {
  AppUsage a;
  a.id = name;
  a.name = name;
  a.footprintBytes = 1 << 20;
  a.cpuFraction = 0.1;
  return ProcessListSnapshot{{a}, 0};
}

class DetailModelTest : public testing::StoreFixture {
 protected:
  void readMemory(double usedFraction) {
    memorySampler->box.set(MemorySnapshot{1000, static_cast<uint64_t>(usedFraction * 1000), 0, 0, 0,
                                          MemoryPressure::normal, std::nullopt});
    read();
  }
};

TEST_F(DetailModelTest, VerdictPlaceholdersAndRangeResetOnCardChange) {
  ArayuzDetailModel model(*store);
  EXPECT_EQ(model.verdict(CardKind::cpu).value(), (Verdict{CardKind::cpu, Severity::neutral, kDash}));
  EXPECT_EQ(model.historyRange().value(), ArayuzChartRange::tenMinutes);
  EXPECT_DOUBLE_EQ(model.historyYMax().value(), 1.0);
  EXPECT_EQ(model.historyEnd().value(), wallNow());

  model.activate(CardKind::memory);
  EXPECT_EQ(model.verdict(CardKind::memory).value(), (Verdict{CardKind::memory, Severity::neutral, kDash}));
  model.setHistoryRange(ArayuzChartRange::oneHour);
  model.activate(CardKind::memory);  // the same page again keeps the range
  EXPECT_EQ(model.historyRange().value(), ArayuzChartRange::oneHour);
  model.activate(CardKind::cpu);
  EXPECT_EQ(model.historyRange().value(), ArayuzChartRange::tenMinutes);

  model.setHistoryRange(ArayuzChartRange::oneMinute);
  model.deactivate(CardKind::memory);  // not the active page: nothing happens
  EXPECT_EQ(model.activeDetail(), CardKind::cpu);
  model.deactivate(CardKind::cpu);
  EXPECT_FALSE(model.activeDetail());
  model.activate(CardKind::cpu);
  EXPECT_EQ(model.historyRange().value(), ArayuzChartRange::tenMinutes);
}

TEST_F(DetailModelTest, CopiesOnlyForTheActivePage) {
  ArayuzDetailModel model(*store);
  processSampler->box.set(processesNamed("first"));
  readMemory(0.5);
  model.refresh();  // no page: nothing copied
  EXPECT_FALSE(model.memory().value());

  model.activate(CardKind::memory);
  EXPECT_EQ(model.processes().value()->apps[0].name, "first");
  EXPECT_EQ(model.memory().value(), store->memory());
  testing::ChangeCounter memoryChanges(model.memory());
  testing::ChangeCounter processChanges(model.processes());
  model.refresh();  // identical readings wake nobody
  EXPECT_EQ(memoryChanges.count + processChanges.count, 0);

  model.activate(CardKind::network);
  settings->setRateUnit(RateUnit::bits);
  advance(4);
  networkSampler->box.set(testing::networkAt(1000, 2000));
  processSampler->box.set(processesNamed("second"));
  read();
  model.refresh();
  EXPECT_EQ(model.processes().value()->apps[0].name, "first");  // the network page does not copy it
  EXPECT_EQ(model.rateUnit().value(), RateUnit::bits);
  EXPECT_EQ(model.displayRates().value(), (NetworkRates{1000, 2000}));
  EXPECT_EQ(model.network().value(), store->network());
  EXPECT_EQ(model.appNetwork().value(), store->appNetwork());
  EXPECT_EQ(processChanges.count, 0);

  model.activate(CardKind::cpu);
  EXPECT_EQ(model.processes().value()->apps[0].name, "second");
}

TEST_F(DetailModelTest, HistoryChartFollowsPageAndRange) {
  ArayuzDetailModel model(*store);
  // Memory readings every 2 s, then a pause of 10 s, then more.
  for (int i = 0; i < 5; ++i) {
    readMemory(0.2 * i);
    advance(2);
  }
  advance(8);
  readMemory(0.9);
  advance(1);

  model.activate(CardKind::memory);
  const auto& segs = model.historySegments().value();
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ(segs[0].id, "memoryUsed-0");
  EXPECT_EQ(segs[0].points.size(), 5u);
  EXPECT_EQ(segs[1].id, "memoryUsed-1");
  EXPECT_DOUBLE_EQ(segs[1].points[0].y, 0.9);
  EXPECT_NEAR(segs[1].points[0].x, 599.0 / 600, 1e-9);
  EXPECT_DOUBLE_EQ(model.historyYMax().value(), 1.0);
  EXPECT_EQ(model.historyEnd().value(), wallNow());

  // One minute: the first readings (19 s and more ago) are still inside; x spreads over 60 s.
  testing::ChangeCounter segmentChanges(model.historySegments());
  model.setHistoryRange(ArayuzChartRange::oneMinute);
  EXPECT_EQ(segmentChanges.count, 1);
  EXPECT_NEAR(model.historySegments().value()[1].points[0].x, 59.0 / 60, 1e-9);
  model.setHistoryRange(ArayuzChartRange::oneMinute);  // unchanged: nothing recomputed
  EXPECT_EQ(segmentChanges.count, 1);

  // The network chart scales with its data but never below 50 kB/s; disk has no chart.
  model.activate(CardKind::network);
  EXPECT_TRUE(model.historySegments().value().empty());
  EXPECT_DOUBLE_EQ(model.historyYMax().value(), 50000);
  networkSampler->box.set(testing::networkAt(200'000, 0));
  read();
  model.refresh();
  EXPECT_DOUBLE_EQ(model.historyYMax().value(), 230000);
  EXPECT_EQ(model.historySegments().value().size(), 2u);
  model.activate(CardKind::disk);
  EXPECT_TRUE(model.historySegments().value().empty());
}

}  // namespace
}  // namespace kovra
