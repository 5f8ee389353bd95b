#include <gtest/gtest.h>

#include <cstdio>

#include "platform/linux/linux_sensors.h"
#include "samplers/system/sensors_sampler.h"

namespace kovra {
namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// One line per part, fan and sensor, in the snapshot's order.
std::string describe(const std::optional<SensorsSnapshot>& s) {
  if (!s) return "none\n";
  std::string out;
  for (const auto& p : s->parts) {
    out += std::string(rawValue(p.part)) + (p.device ? " " + *p.device : "") + ": " +
           (p.celsius ? number(*p.celsius) : std::string(p.asleep ? "asleep" : "-")) + " / " + number(p.limitCelsius) +
           (p.sensor ? " (" + *p.sensor + ")" : "") + (p.model ? " [" + *p.model + "]" : "") + "\n";
  }
  for (const auto& f : s->fans) {
    out += "fan " + std::string(rawValue(f.part)) + (f.device ? " " + *f.device : "") + " " + f.name + ": " +
           (f.rpm ? number(*f.rpm) : "-") + "\n";
  }
  for (const auto& r : s->sensors) out += "  " + r.name + ": " + (r.value ? number(*r.value) : "-") + "\n";
  return out;
}

std::optional<SensorsSnapshot> readFixture(const std::string& machine) {
  SensorsSampler sampler(std::make_unique<LinuxSensorsPlatform>(std::string(KOVRA_SYS_FIXTURES) + "/" + machine));
  auto r = sampler.sample();
  EXPECT_TRUE(r.ok());
  return r.ok() ? r.value() : std::nullopt;
}

// The figures below are worked out by hand from the files of each tree.
TEST(SensorsFixtureTest, IntelLaptop) {
  // The package is the processor's hottest sensor and states crit 100; the battery states no
  // limit (default 60); acpitz (48, crit 128) beats thinkpad's 47, whose temp3 reads 0.
  EXPECT_EQ(describe(readFixture("intel-laptop")),
            "processor: 62 / 100 (coretemp Package id 0)\n"
            "battery: 31 / 60 (BAT0 temp1)\n"
            "other: 48 / 128 (acpitz temp1)\n"
            "fan other fan1: 2700\n"
            "  acpitz temp1: 48\n"
            "  thinkpad temp1: 47\n"
            "  thinkpad temp3: -\n"
            "  thinkpad fan1: 2700\n"
            "  coretemp Package id 0: 62\n"
            "  coretemp Core 0: 58\n"
            "  coretemp Core 1: 61\n"
            "  coretemp Core 2: 60\n"
            "  coretemp Core 3: 57\n"
            "  BAT0 temp1: 31\n");
}

TEST(SensorsFixtureTest, AmdDesktop) {
  // k10temp states no limit (default 95); the card's figure is its junction (71 of 110), not its
  // memory; each drive is its Composite with its own crit (the other sensors' max of 65261.85 °C
  // is nonsense); the board's hottest plausible sensor is CPUTIN with max 80 and no crit; the
  // pulled-out drive (hwmon5, a link to nowhere) is left out.
  EXPECT_EQ(describe(readFixture("amd-desktop")),
            "processor: 67.25 / 95 (k10temp Tctl)\n"
            "graphics 0000:03:00.0: 71 / 110 (amdgpu junction)\n"
            "drive nvme0: 44.85 / 84.85 (nvme Composite) [Samsung SSD 980 PRO 1TB]\n"
            "drive nvme1: 38.85 / 79.85 (nvme Composite) [WD Blue SN570 1TB]\n"
            "other: 41.5 / 80 (nct6798 CPUTIN)\n"
            "fan graphics 0000:03:00.0 fan1: 1180\n"
            "fan other fan1: 0\n"
            "fan other fan2: 1063\n"
            "fan other fan3: 742\n"
            "  k10temp Tctl: 67.25\n"
            "  k10temp Tccd1: 61.5\n"
            "  k10temp Tccd2: 58.75\n"
            "  amdgpu edge: 54\n"
            "  amdgpu junction: 71\n"
            "  amdgpu mem: 64\n"
            "  amdgpu fan1: 1180\n"
            "  nvme Composite: 44.85\n"
            "  nvme Sensor 1: 44.85\n"
            "  nvme Sensor 2: 49.85\n"
            "  nvme Composite: 38.85\n"
            "  nct6798 SYSTIN: 36\n"
            "  nct6798 CPUTIN: 41.5\n"
            "  nct6798 AUXTIN0: -\n"
            "  nct6798 PECI Agent 0 Calibration: -\n"
            "  nct6798 fan1: 0\n"
            "  nct6798 fan2: 1063\n"
            "  nct6798 fan3: 742\n");
}

TEST(SensorsFixtureTest, RaspberryPiAndVirtualMachine) {
  EXPECT_EQ(describe(readFixture("raspberry-pi")),
            "processor: 47.236 / 110 (cpu_thermal temp1)\n"
            "  cpu_thermal temp1: 47.236\n");
  EXPECT_EQ(describe(readFixture("vm")), "none\n");
}

SensorChannel temp(SensorPart part, std::string chip, std::string label, double value, bool relevant = true) {
  SensorChannel c;
  c.part = part;
  c.chip = std::move(chip);
  c.label = std::move(label);
  c.value = value;
  c.relevant = relevant;
  c.state = SensorState::ok;
  return c;
}

TEST(SensorsGroupingTest, FiguresComeOnlyFromRelevantPlausibleSensorsAndSleepIsAState) {
  std::vector<SensorChannel> channels;
  channels.push_back(temp(SensorPart::processor, "k10temp", "Tctl", 90, false));  // offset: Tdie speaks
  channels.push_back(temp(SensorPart::processor, "k10temp", "Tdie", 63));
  auto wild = temp(SensorPart::processor, "k10temp", "Tccd1", 250);
  wild.state = SensorState::implausible;
  channels.push_back(wild);
  auto gpu = temp(SensorPart::graphics, "nouveau", "temp1", 0);
  gpu.device = "0000:01:00.0";
  gpu.state = SensorState::asleep;
  channels.push_back(gpu);
  auto disk = temp(SensorPart::drive, "drivetemp", "temp1", 0);
  disk.device = "0:0:0:0";
  disk.max = 55;
  disk.state = SensorState::unreadable;
  channels.push_back(disk);
  EXPECT_EQ(describe(groupSensors(channels)),
            "processor: 63 / 95 (k10temp Tdie)\n"
            "graphics 0000:01:00.0: asleep / 95\n"
            "drive 0:0:0:0: - / 70\n"
            "  k10temp Tctl: 90\n"
            "  k10temp Tdie: 63\n"
            "  k10temp Tccd1: -\n"
            "  nouveau temp1: -\n"
            "  drivetemp temp1: -\n");
}

}  // namespace
}  // namespace kovra
