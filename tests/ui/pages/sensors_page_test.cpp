#include <QToolButton>

#include "page_fixture.h"
#include "ui/dashboard/card_view.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/pages/card_table.h"
#include "ui/pages/history_chart_view.h"
#include "ui/pages/sensors_page_view.h"

namespace kovra::ui::testing {
namespace {

SensorPartReading makePart(SensorPart kind, double celsius, double limit, std::optional<std::string> device = {}) {
  SensorPartReading p;
  p.part = kind;
  p.celsius = celsius;
  p.limitCelsius = limit;
  p.device = std::move(device);
  return p;
}

SensorsSnapshot desktop(double processor) {
  SensorsSnapshot s;
  s.parts = {makePart(SensorPart::processor, processor, 100), makePart(SensorPart::drive, 45, 85, "nvme0")};
  s.fans = {FanReading{SensorPart::processor, std::nullopt, "fan1", 1200}};
  s.sensors = {RawSensorReading{"k10temp Tctl", SensorPart::processor, false, processor}};
  return s;
}

class SensorsPageTest : public PageFixture {};

// The card is there only while the machine has sensors; the page lays out one row per part and
// fan, keeps its rows while only the figures change, and draws one line per part.
TEST_F(SensorsPageTest, CardFollowsTheMachineAndThePageFollowsItsParts) {
  CardGridView grid(cardTable(), *dashboard, ArayuzCardSize::compact, 10);
  grid.show();
  tick();
  dashboard->refresh();
  ASSERT_NE(grid.card(CardKind::sensors), nullptr);
  EXPECT_FALSE(grid.card(CardKind::sensors)->isVisible());  // a virtual machine: no empty card

  SensorsDetailView page(context());
  EXPECT_TRUE(page.partRows().empty());
  EXPECT_FALSE(page.rawToggle()->isVisibleTo(&page));

  sensorsSampler->box.set(std::optional<SensorsSnapshot>(desktop(62)));
  for (int i = 0; i < 3; ++i) tick();
  dashboard->refresh();
  EXPECT_TRUE(grid.card(CardKind::sensors)->isVisible());
  EXPECT_EQ(dashboard->sensorsText().value(), "62 °C");
  EXPECT_EQ(dashboard->sensorsPart().value(), "İşlemci");
  EXPECT_EQ(dashboard->sensorsFan().value(), "Fan 1.200 dev/dk");
  EXPECT_FALSE(dashboard->spark(ArayuzSparkKind::sensors).value().empty());

  ASSERT_EQ(page.partRows().size(), 2u);
  ASSERT_EQ(page.fanRows().size(), 1u);
  EXPECT_EQ(page.partRows()[0]->value(), "62 °C · sınır 100 °C");
  EXPECT_EQ(page.fanRows()[0]->value(), "1.200 dev/dk");
  EXPECT_EQ(page.bigValue()->primaryLabel()->text(), "62 °C");
  std::set<std::string> lines;
  for (const auto& segment : detail->historySegments().value()) lines.insert(segment.id.substr(0, segment.id.rfind('-')));
  EXPECT_EQ(lines, (std::set<std::string>{"processor", "drive/nvme0"}));

  // New figures: the same rows, new values.
  KeyValueRowView* first = page.partRows()[0];
  sensorsSampler->box.set(std::optional<SensorsSnapshot>(desktop(71)));
  tick();
  EXPECT_EQ(page.partRows()[0], first);
  EXPECT_EQ(first->value(), "71 °C · sınır 100 °C");

  // A drive plugged in: a row and a line more.
  auto more = desktop(71);
  more.parts.push_back(makePart(SensorPart::drive, 38, 80, "nvme1"));
  sensorsSampler->box.set(std::optional<SensorsSnapshot>(more));
  tick();
  ASSERT_EQ(page.partRows().size(), 3u);
  EXPECT_EQ(detail->sensorLines().value().size(), 3u);
  EXPECT_NE(detail->sensorLines().value()[0].color, detail->sensorLines().value()[2].color);

  // The kernel's names stay folded until asked for.
  page.show();
  EXPECT_FALSE(page.rawList()->isVisible());
  page.rawToggle()->click();
  EXPECT_TRUE(page.rawList()->isVisible());
  EXPECT_EQ(page.rawList()->text(), "k10temp Tctl: 71 °C");
}

}  // namespace
}  // namespace kovra::ui::testing
