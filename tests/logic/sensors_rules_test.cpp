#include <gtest/gtest.h>

#include "logic/sensors_rules.h"

namespace kovra {
namespace {

SensorPartReading part(SensorPart kind, std::optional<double> celsius, double limit, std::optional<std::string> device = {}) {
  SensorPartReading p;
  p.part = kind;
  p.celsius = celsius;
  p.limitCelsius = limit;
  p.device = std::move(device);
  return p;
}

SensorsSnapshot processorAt(double celsius) { return SensorsSnapshot{{part(SensorPart::processor, celsius, 100)}, {}, {}}; }

TEST(SensorLevelsTest, WarningWaitsCriticalDoesNotAndLevelsFallOneStepAfterTheirStretch) {
  MantikSensorLevels levels;
  Severity at = Severity::ok;
  auto feed = [&](double now, double celsius) {
    const auto s = processorAt(celsius);
    levels.update(s, now);
    at = levels.level(s.parts[0]);
  };
  feed(0, 92);  // a boost touches the warning mark (90): not yet
  EXPECT_EQ(at, Severity::ok);
  feed(4, 89);  // and leaves it: the stretch starts again
  feed(6, 91);
  feed(14, 93);
  EXPECT_EQ(at, Severity::ok);
  feed(16, 91);  // 10 s at the mark
  EXPECT_EQ(at, Severity::warning);
  feed(18, 100);  // the limit: at once
  EXPECT_EQ(at, Severity::critical);
  feed(20, 98);  // wavering just below the limit keeps it
  feed(22, 99.5);
  feed(24, 96);  // 3 °C below: 10 s to fall
  feed(32, 96.9);
  EXPECT_EQ(at, Severity::critical);
  feed(34, 95);
  EXPECT_EQ(at, Severity::warning);
  feed(36, 86);  // below the warning's exit (87): 30 s to fall
  feed(50, 88);  // back above the exit: the stretch is lost
  feed(52, 80);
  feed(81, 80);
  EXPECT_EQ(at, Severity::warning);
  feed(82, 80);
  EXPECT_EQ(at, Severity::ok);

  // A part without a figure has nothing to judge and starts afresh.
  feed(84, 101);
  EXPECT_EQ(at, Severity::critical);
  levels.update(SensorsSnapshot{{part(SensorPart::processor, std::nullopt, 100)}, {}, {}}, 86);
  feed(88, 95);
  EXPECT_EQ(at, Severity::ok);
}

TEST(SensorsVerdictTest, NamesThePartAndForTheProcessorTheAppBehindIt) {
  MantikSensorLevels levels;
  AppUsage firefox;
  firefox.name = "Firefox";
  EXPECT_EQ(MantikSensorsVerdict::verdict(std::nullopt, levels, firefox, std::nullopt).sentence, "—");
  EXPECT_EQ(MantikSensorsVerdict::verdict(SensorsSnapshot{{part(SensorPart::processor, std::nullopt, 95)}, {}, {}}, levels,
                                          firefox, std::nullopt)
                .severity,
            Severity::neutral);

  // Two drives, numbered; the hottest part is named while all is well.
  SensorsSnapshot s{{part(SensorPart::processor, 62.4, 100), part(SensorPart::drive, 45, 85, "nvme0"),
                     part(SensorPart::drive, 70, 85, "nvme1")},
                    {},
                    {}};
  levels.update(s, 0);
  auto v = MantikSensorsVerdict::verdict(s, levels, firefox, CardKind::cpu);
  EXPECT_EQ(v.severity, Severity::ok);
  EXPECT_EQ(v.sentence, "Sıcaklıklar normal. En sıcak: Disk 2 (70 °C).");

  // The processor at its warning mark for 10 s, the second drive at its limit: the drive is
  // worse, and its sentence names no app.
  s.parts[0].celsius = 92;
  s.parts[2].celsius = 86;
  levels.update(s, 10);
  levels.update(s, 20);
  v = MantikSensorsVerdict::verdict(s, levels, firefox, std::nullopt);
  EXPECT_EQ(v.severity, Severity::critical);
  EXPECT_EQ(v.sentence, "Disk 2 çok sıcak: 86 °C, sınırı 85 °C. Bilgisayar yavaşlayabilir.");

  s.parts[2].celsius = 40;
  levels.update(s, 40);  // the drive falls to warning after 10 s below 82 °C…
  levels.update(s, 52);
  levels.update(s, 82);  // …and to ok 30 s later
  v = MantikSensorsVerdict::verdict(s, levels, firefox, std::nullopt);
  EXPECT_EQ(v.severity, Severity::warning);
  EXPECT_EQ(v.sentence, "İşlemci ısınıyor: 92 °C, sınırı 100 °C. En çok işlemci kullanan: Firefox.");
  EXPECT_EQ(MantikSensorsVerdict::verdict(s, levels, std::nullopt, std::nullopt).sentence,
            "İşlemci ısınıyor: 92 °C, sınırı 100 °C.");
}

TEST(SensorsNotificationTest, ThirtySecondsAtTheLimitThenOncePerTenMinutesPerPart) {
  MantikSensorsNotificationPolicy policy;
  std::vector<double> processorNotices;
  std::vector<double> driveNotices;
  auto at = [&](double now, double cpu, double drive) {
    SensorsSnapshot s{{part(SensorPart::processor, cpu, 100), part(SensorPart::drive, drive, 85, "nvme0")}, {}, {}};
    for (size_t i : policy.due(&s, now)) (i == 0 ? processorNotices : driveNotices).push_back(now);
  };
  for (double t = 0; t <= 40; t += 2) at(t, 101, 40);
  at(42, 95, 40);  // one reading below the limit ends the stretch
  for (double t = 44; t <= 640; t += 2) at(t, 100, t >= 100 ? 90 : 40);
  EXPECT_EQ(processorNotices, (std::vector<double>{30, 630}));  // not 74: the cooldown runs across stretches
  EXPECT_EQ(driveNotices, (std::vector<double>{130}));

  // Two readings at the limit with a pause between them (nothing showed the sensors) are not half
  // a minute at the limit: the stretch starts again at the second.
  driveNotices.clear();
  at(2000, 95, 90);
  at(2100, 95, 90);
  at(2128, 95, 90);
  EXPECT_TRUE(driveNotices.empty());
  at(2130, 95, 90);
  EXPECT_EQ(driveNotices, (std::vector<double>{2130}));

  SensorsSnapshot s{{part(SensorPart::processor, 101, 100), part(SensorPart::drive, 90, 85, "nvme0")}, {}, {}};
  AppUsage app;
  app.name = "ffmpeg";
  const auto cpu = MantikSensorsNotificationPolicy::notice(s, s.parts[0], app);
  EXPECT_EQ(cpu.identifier, "kovra.sensors.processor.critical");
  EXPECT_EQ(cpu.title, "İşlemci çok ısındı");
  EXPECT_EQ(cpu.body, "İşlemci yarım dakikadır sınırında: 101 °C (sınır 100 °C). En çok işlemci kullanan: ffmpeg.");
  const auto drive = MantikSensorsNotificationPolicy::notice(s, s.parts[1], app);
  EXPECT_EQ(drive.identifier, "kovra.sensors.drive/nvme0.critical");
  EXPECT_EQ(drive.body, "Disk yarım dakikadır sınırında: 90 °C (sınır 85 °C). Havalandırmasının açık olduğundan emin ol.");
}

TEST(SensorTextsTest, FanSpeeds) {
  EXPECT_EQ(MantikSensorTexts::fanSpeed(1063), "1.063 dev/dk");
  EXPECT_EQ(MantikSensorTexts::fanSpeed(0), "Durmuş");
  EXPECT_EQ(MantikSensorTexts::fanSpeed(std::nullopt), "—");
}

}  // namespace
}  // namespace kovra
