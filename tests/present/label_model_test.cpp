#include "present/menu_bar_label_model.h"

#include <cmath>

#include "store_fixture.h"

namespace kovra {
namespace {

const std::string kDash = "\u2014";
const std::string kDown = "\u2193\u2009";
const std::string kUp = "\u2191\u2009";

class LabelModelTest : public testing::StoreFixture {
 protected:
  // A network reading whose smoothed rates are exactly these (the average starts afresh after a
  // pause of more than 3 seconds).
  void readRates(double down, double up) {
    advance(4);
    networkSampler->box.set(testing::networkAt(down, up));
    read();
  }
  std::vector<std::string> texts(const ArayuzMenuBarLabelModel& m) {
    std::vector<std::string> out;
    if (m.rendered().value()) {
      for (const auto& item : m.rendered().value()->image.items) out.push_back(item.text);
    }
    return out;
  }

  ArayuzFixedWidthMeasurer measurer{13, 0.6};
};

TEST_F(LabelModelTest, FallbackWhenBothPartsAreOffAndDashesBeforeReadings) {
  settings->setMenuBarShowsNetwork(false);
  settings->setMenuBarShowsMemory(false);
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  EXPECT_FALSE(model.rendered().value());

  settings->setMenuBarShowsNetwork(true);
  model.refresh();
  ASSERT_TRUE(model.rendered().value());
  EXPECT_EQ(texts(model), (std::vector<std::string>{kDown + kDash, kUp + kDash}));
  auto base = ArayuzMenuBarRenderer::baseLayout(measurer, true, false, RateUnit::bytes, 13);
  EXPECT_DOUBLE_EQ(model.rendered().value()->image.items[0].width, base.rateWidth);
  EXPECT_EQ(model.rendered().value()->accessibilityText, "İndirme \u2014, yükleme \u2014");
}

TEST_F(LabelModelTest, PublishesOnlyWhenTheTextsChange) {
  settings->setMenuBarShowsMemory(false);
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  testing::ChangeCounter changes(model.rendered());

  readRates(24'999, 0);
  model.refresh();
  EXPECT_EQ(texts(model), (std::vector<std::string>{kDown + "0 KB/s", kUp + "0 KB/s"}));
  EXPECT_EQ(changes.count, 1);
  readRates(10'000, 3'000);  // still 0 KB/s both ways: nothing redrawn
  model.refresh();
  model.refresh();
  EXPECT_EQ(changes.count, 1);

  readRates(25'000, 0);
  model.refresh();
  EXPECT_EQ(texts(model)[0], kDown + "50 KB/s");
  readRates(1'234'567, 0);
  model.refresh();
  EXPECT_EQ(texts(model)[0], kDown + "1,2 MB/s");
  EXPECT_EQ(changes.count, 3);

  settings->setRateUnit(RateUnit::bits);
  readRates(50'000, 0);
  model.refresh();
  EXPECT_EQ(texts(model)[0], kDown + "400 Kbps");
}

TEST_F(LabelModelTest, SlotsWidenForWideTextsAndKeepTheirWidth) {
  settings->setMenuBarShowsMemory(false);
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  const double base = model.cachedLayout()->rateWidth;

  readRates(1.2345e12, 0);  // "1.234,5 GB/s": wider than every sample
  model.refresh();
  const double wide = model.cachedLayout()->rateWidth;
  EXPECT_GT(wide, base);
  EXPECT_DOUBLE_EQ(model.rendered().value()->image.items[1].width, wide);

  readRates(0, 0);
  model.refresh();
  EXPECT_DOUBLE_EQ(model.cachedLayout()->rateWidth, wide);
  EXPECT_DOUBLE_EQ(model.rendered().value()->image.items[0].width, wide);

  // A new menu bar font size starts from the base layout again.
  measurer.setMenuBarFontSize(14);
  readRates(50'000, 0);
  model.refresh();
  EXPECT_DOUBLE_EQ(model.cachedLayout()->fontSize, 14);
  EXPECT_LT(model.cachedLayout()->rateWidth, wide);
}

TEST_F(LabelModelTest, MemoryAndAccessibility) {
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  EXPECT_EQ(texts(model).back(), "RAM " + kDash);
  memorySampler->box.set(MemorySnapshot{0, 0, 0, 0, 0, std::nullopt, std::nullopt});
  readRates(0, 60'000);
  model.refresh();
  EXPECT_EQ(texts(model).back(), "RAM %0");
  EXPECT_EQ(model.rendered().value()->accessibilityText,
            "İndirme 0 KB/s, yükleme 50 KB/s, Bellek kullanımı %0");
  EXPECT_EQ(model.rendered().value()->image.accessibilityDescription,
            model.rendered().value()->accessibilityText);

  // A failed memory reading shows the dash again.
  advance(2);
  memorySampler->box.set(unreadable("host_statistics64 başarısız"));
  read();
  model.refresh();
  EXPECT_EQ(texts(model).back(), "RAM " + kDash);
}

// The first readings leave the dashes at once; later ones wait for the 2-second turn.
TEST_F(LabelModelTest, FirstReadingsShowWithoutWaitingForTheTimer) {
  auto model = std::make_unique<ArayuzMenuBarLabelModel>(*store, executor, measurer);
  model->start();
  testing::ChangeCounter changes(model->rendered());
  memorySampler->box.set(MemorySnapshot{100, 50, 0, 0, 0, std::nullopt, std::nullopt});
  readRates(25'000, 0);
  EXPECT_EQ(texts(*model), (std::vector<std::string>{kDown + "50 KB/s", kUp + "0 KB/s", "RAM %50"}));
  const int afterFirst = changes.count;
  EXPECT_GE(afterFirst, 1);

  readRates(1'234'567, 0);
  EXPECT_EQ(texts(*model)[0], kDown + "50 KB/s");
  EXPECT_EQ(changes.count, afterFirst);
  model->refresh();
  EXPECT_EQ(texts(*model)[0], kDown + "1,2 MB/s");

  model.reset();  // a gone model hears no more readings
  readRates(5'000'000, 0);
}

TEST_F(LabelModelTest, TimerRefreshesEveryTwoSecondsThenTicks) {
  settings->setMenuBarShowsNetwork(false);
  auto model = std::make_unique<ArayuzMenuBarLabelModel>(*store, executor, measurer);
  int ticks = 0;
  model->onTick = [&] {
    ++ticks;
    // The tick comes after the label's own refresh.
    EXPECT_EQ(texts(*model).back(), ticks >= 2 ? "RAM %50" : "RAM " + kDash);
  };
  model->start();
  model->start();  // already running: still one timer
  ASSERT_EQ(executor.scheduled().size(), 1u);
  EXPECT_DOUBLE_EQ(executor.scheduled()[0].tolerance, 0.5);

  executor.advance(1.9);
  EXPECT_EQ(ticks, 0);
  executor.advance(0.1);
  EXPECT_EQ(ticks, 1);
  memorySampler->box.set(MemorySnapshot{100, 50, 0, 0, 0, std::nullopt, std::nullopt});
  read();
  executor.advance(2);
  EXPECT_EQ(ticks, 2);
  executor.advance(6);
  EXPECT_EQ(ticks, 5);

  model.reset();  // a gone model's timer does nothing more
  executor.advance(10);
  EXPECT_EQ(ticks, 5);
}

}  // namespace
}  // namespace kovra
