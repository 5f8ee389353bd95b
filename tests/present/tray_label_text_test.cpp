#include "present/tray_label_text.h"

#include "present/menu_bar_label_model.h"
#include "store_fixture.h"

namespace kovra {
namespace {

const std::string kFig = "\u2007";
const std::string kDown = "\u2193\u2009";
const std::string kUp = "\u2191\u2009";

ArayuzMenuBarContent content(std::optional<std::string> down, std::optional<std::string> up,
                             std::optional<std::string> ram, RateUnit unit = RateUnit::bytes) {
  return {std::move(down), std::move(up), std::move(ram), unit, std::nullopt};
}

TEST(TrayLabelText, PadsEachPartToItsWidestSampleAndGuidesWithThoseSamples) {
  auto label = makeTrayLabel(content("50 KB/s", "0 KB/s", "%63"));
  // Rate slots are as long as "↓ 999,9 MB/s" (12 code points), the memory slot as "RAM %100".
  EXPECT_EQ(label.label, kFig + kFig + kFig + kDown + "50 KB/s" + "  " + kFig + kFig + kFig + kFig + kUp + "0 KB/s" +
                             "  " + kFig + "RAM %63");
  EXPECT_EQ(label.guide, kDown + "999,9 MB/s  " + kUp + "999,9 MB/s  RAM %100");

  auto bits = makeTrayLabel(content("400 Kbps", "0 Kbps", std::nullopt, RateUnit::bits));
  EXPECT_EQ(codePointCount(bits.label), codePointCount(bits.guide));
  EXPECT_NE(bits.guide.find("bps"), std::string::npos);
  EXPECT_EQ(bits.guide.find("RAM"), std::string::npos);

  EXPECT_EQ(makeTrayLabel(content(std::nullopt, std::nullopt, "%5")).label, kFig + kFig + "RAM %5");
  EXPECT_EQ(makeTrayLabel(content(std::nullopt, std::nullopt, "\u2014")).label, kFig + kFig + kFig + "RAM \u2014");
}

TEST(TrayLabelText, NothingWhileBothPartsAreOff) {
  EXPECT_EQ(makeTrayLabel(content(std::nullopt, std::nullopt, std::nullopt)), ArayuzTrayLabel{});
  EXPECT_EQ(makeTrayLabel(std::nullopt), ArayuzTrayLabel{});
}

TEST(TrayLabelText, LengthAndGuideStayWhenOnlyDigitsOrSizeClassesChange) {
  const auto reference = makeTrayLabel(content("0 KB/s", "0 KB/s", "%0"));
  for (const auto& [down, up, ram] :
       std::vector<std::tuple<std::string, std::string, std::string>>{{"950 KB/s", "50 KB/s", "%100"},
                                                                      {"1,2 MB/s", "99,9 MB/s", "%63"},
                                                                      {"\u2014", "999,9 MB/s", "%7"},
                                                                      {"9,9 GB/s", "12,3 MB/s", "\u2014"}}) {
    auto label = makeTrayLabel(content(down, up, ram));
    EXPECT_EQ(codePointCount(label.label), codePointCount(reference.label)) << label.label;
    EXPECT_EQ(label.guide, reference.guide);
  }
  // A text longer than every sample is shown whole, never cut.
  auto wide = makeTrayLabel(content("1.234,5 GB/s", "0 KB/s", std::nullopt));
  EXPECT_EQ(wide.label.rfind(kDown + "1.234,5 GB/s", 0), 0u);
}

class TrayLabelModelTest : public testing::StoreFixture {
 protected:
  ArayuzFixedWidthMeasurer measurer{13, 0.6};
};

TEST_F(TrayLabelModelTest, FollowsTheLabelModel) {
  ArayuzMenuBarLabelModel model(*store, executor, measurer);
  auto first = makeTrayLabel(model.lastContent());
  auto pad = [](int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += kFig;
    return out;
  };
  EXPECT_EQ(first.label, pad(9) + kDown + "\u2014  " + pad(9) + kUp + "\u2014  " + pad(3) + "RAM \u2014")
      << "no readings yet";

  memorySampler->box.set(MemorySnapshot{100, 63, 0, 0, 0, std::nullopt, std::nullopt});
  advance(4);
  networkSampler->box.set(testing::networkAt(1'234'567, 60'000));
  read();
  model.refresh();
  auto second = makeTrayLabel(model.lastContent());
  EXPECT_EQ(second.label,
            kFig + kFig + kDown + "1,2 MB/s  " + kFig + kFig + kFig + kUp + "50 KB/s  " + kFig + "RAM %63");
  EXPECT_EQ(codePointCount(second.label), codePointCount(first.label));
  EXPECT_EQ(second.guide, first.guide);

  settings->setMenuBarShowsNetwork(false);
  settings->setMenuBarShowsMemory(false);
  model.refresh();
  EXPECT_EQ(makeTrayLabel(model.lastContent()), ArayuzTrayLabel{});
}

}  // namespace
}  // namespace kovra
