#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/hwmon.h"
#include "platform/linux/linux_sensors.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using linuxfs::hwmon::Attribute;
using linuxfs::hwmon::Item;

TEST(HwmonParseTest, NamesNumbersAndLabels) {
  using linuxfs::hwmon::parseAttribute;
  EXPECT_EQ(parseAttribute("temp3_input"), (Attribute{false, 3, Item::input}));
  EXPECT_EQ(parseAttribute("fan12_label"), (Attribute{true, 12, Item::label}));
  EXPECT_EQ(parseAttribute("temp1_crit"), (Attribute{false, 1, Item::crit}));
  for (const char* no : {"temp0_input", "temp01_input", "temp1000_input", "temp_input", "fan1_max", "temp1_crit_hyst",
                         "in0_input", "temp1_input ", "tem", ""}) {
    EXPECT_FALSE(parseAttribute(no).has_value()) << no;
  }

  using linuxfs::hwmon::parseInteger;
  EXPECT_EQ(parseInteger("44850\n"), 44850);
  EXPECT_EQ(parseInteger("-273150\n"), -273150);
  EXPECT_EQ(parseInteger(" +7 \n"), 7);
  for (const char* no : {"", "\n", "-", "12a", "1.5", "99999999999999999999"}) {
    EXPECT_FALSE(parseInteger(no).has_value()) << no;
  }

  using linuxfs::hwmon::parseLabel;
  EXPECT_EQ(parseLabel("Samsung SSD 980 PRO 1TB            \n"), "Samsung SSD 980 PRO 1TB");
  EXPECT_EQ(parseLabel("Package id 0\nsecond line"), "Package id 0");
  EXPECT_EQ(parseLabel("bad\x01label"), "");
  EXPECT_EQ(parseLabel(std::string(100, 'x')).size(), 64u);
}

struct Tree {
  testing::TempDir dir;
  // A chip under devices/, linked from class/hwmon as hwmon<n>.
  std::string chip(int n, const std::string& name, const std::string& device = "platform/board") const {
    const std::string hw = "devices/" + device + "/hwmon/hwmon" + std::to_string(n);
    dir.write(hw + "/name", name + "\n");
    ::mkdir(dir.at("class").c_str(), 0755);
    ::mkdir(dir.at("class/hwmon").c_str(), 0755);
    EXPECT_EQ(::symlink(("../../" + hw).c_str(), dir.at("class/hwmon/hwmon" + std::to_string(n)).c_str()), 0);
    const std::string link = "../../../" + device.substr(device.rfind('/') + 1);
    EXPECT_EQ(::symlink(link.c_str(), dir.at(hw + "/device").c_str()), 0);
    return hw + "/";
  }
};

const SensorChannel* find(const std::vector<SensorChannel>& channels, const std::string& chip, const std::string& label) {
  for (const auto& c : channels) {
    if (c.chip == chip && c.label == label) return &c;
  }
  return nullptr;
}

TEST(LinuxSensorsTest, BadInputGivesAStateNeverAFigure) {
  Tree t;
  const std::string board = t.chip(0, "nct6798");
  t.dir.write(board + "temp1_input", "41500\n");
  ::mkdir(t.dir.at(board + "temp2_input").c_str(), 0755);  // a read that fails (EISDIR, as ENODATA would)
  t.dir.write(board + "temp3_input", "n/a\n");
  t.dir.write(board + "temp4_input", "250000\n");
  t.dir.write(board + "temp5_input", "-62000\n");
  t.dir.write(board + "fan1_input", "0\n");
  t.dir.write(board + "fan2_input", "-5\n");
  ASSERT_EQ(::symlink("nowhere", t.dir.at(board + "temp6_input").c_str()), 0);  // vanished after listing
  // A chip whose class link loops on itself is left out.
  ASSERT_EQ(::symlink("hwmon9", t.dir.at("class/hwmon/hwmon9").c_str()), 0);

  LinuxSensorsPlatform platform(t.dir.path(), [] { return 0.0; });
  std::vector<SensorChannel> channels;
  platform.read(channels);
  ASSERT_EQ(channels.size(), 7u);
  EXPECT_EQ(find(channels, "nct6798", "temp1")->state, SensorState::ok);
  EXPECT_DOUBLE_EQ(find(channels, "nct6798", "temp1")->value, 41.5);
  EXPECT_EQ(find(channels, "nct6798", "temp2")->state, SensorState::unreadable);
  EXPECT_EQ(find(channels, "nct6798", "temp3")->state, SensorState::unreadable);
  EXPECT_EQ(find(channels, "nct6798", "temp4")->state, SensorState::implausible);
  EXPECT_EQ(find(channels, "nct6798", "temp5")->state, SensorState::implausible);
  EXPECT_EQ(find(channels, "nct6798", "fan1")->state, SensorState::ok);  // a fan standing still
  EXPECT_EQ(find(channels, "nct6798", "fan2")->state, SensorState::implausible);
  EXPECT_EQ(find(channels, "nct6798", "temp6"), nullptr);
}

TEST(LinuxSensorsTest, SuspendedCardIsNotReadAndNewChipsAppearAtTheNextListing) {
  Tree t;
  const std::string gpu = t.chip(0, "amdgpu", "pci0000:00/0000:03:00.0");
  t.dir.write(gpu + "temp1_label", "edge\n");
  t.dir.write(gpu + "temp1_input", "54000\n");
  const std::string status = t.dir.write("devices/pci0000:00/0000:03:00.0/power/runtime_status", "suspended\n");
  double now = 0;
  LinuxSensorsPlatform platform(t.dir.path(), [&] { return now; });
  std::vector<SensorChannel> channels;
  platform.read(channels);
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0].part, SensorPart::graphics);
  EXPECT_EQ(channels[0].device, "0000:03:00.0");
  EXPECT_EQ(channels[0].state, SensorState::asleep);

  // It wakes on its own; a chip plugged in meanwhile waits for the next listing.
  t.dir.write("devices/pci0000:00/0000:03:00.0/power/runtime_status", "active\n");
  const std::string disk = t.chip(1, "drivetemp", "pci0000:00/ata1/host0/target0:0:0/0:0:0:0");
  t.dir.write(disk + "temp1_input", "38000\n");
  now = LinuxSensorsPlatform::kRescanSeconds - 1;
  platform.read(channels);
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0].state, SensorState::ok);
  EXPECT_DOUBLE_EQ(channels[0].value, 54);
  now = LinuxSensorsPlatform::kRescanSeconds;
  platform.read(channels);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[1].part, SensorPart::drive);
  EXPECT_DOUBLE_EQ(channels[1].value, 38);
}

TEST(LinuxSensorsTest, ThermalZonesOnlyWhenNoChipGivesATemperature) {
  Tree t;
  const std::string fans = t.chip(0, "thinkpad");
  t.dir.write(fans + "fan1_input", "2700\n");
  t.dir.write("class/thermal/thermal_zone0/type", "x86_pkg_temp\n");
  t.dir.write("class/thermal/thermal_zone0/temp", "55000\n");
  t.dir.write("class/thermal/thermal_zone0/trip_point_0_type", "passive\n");
  t.dir.write("class/thermal/thermal_zone0/trip_point_0_temp", "95000\n");
  t.dir.write("class/thermal/thermal_zone0/trip_point_1_type", "critical\n");
  t.dir.write("class/thermal/thermal_zone0/trip_point_1_temp", "105000\n");
  LinuxSensorsPlatform platform(t.dir.path(), [] { return 0.0; });
  std::vector<SensorChannel> channels;
  platform.read(channels);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_TRUE(channels[0].fan);
  EXPECT_EQ(channels[1].part, SensorPart::processor);
  EXPECT_EQ(channels[1].crit, 105);
  EXPECT_FALSE(channels[1].max.has_value());
  EXPECT_DOUBLE_EQ(channels[1].value, 55);

  // Once a chip gives a temperature, the zones (which mostly repeat it) are left alone.
  t.dir.write(fans + "temp1_input", "47000\n");
  LinuxSensorsPlatform again(t.dir.path(), [] { return 0.0; });
  again.read(channels);
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[0].chip, "thinkpad");
  EXPECT_EQ(channels[1].chip, "thinkpad");
}

}  // namespace
}  // namespace kovra
