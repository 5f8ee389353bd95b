// What each apply does to the published state, histories, smoothed rates, verdicts, notices and
// per-app traffic. Reads are driven one at a time through refreshNow on an idle store.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "store_fixture.h"

namespace kovra::testing {
namespace {

using K = MantikSampleKind;

class StoreApplyTest : public StoreTest {
 protected:
  // One refresh at virtual time `at` (the store is idle, so every kind is read).
  void refreshAt(double at) {
    ex.advanceTo(at);
    store->refreshNow();
    ex.runPending();
  }
};

TEST_F(StoreApplyTest, MemoryNotifiesOnChangeButAddsAPointPerReading) {
  Store& s = make();
  int memoryChanges = 0;
  int revisions = 0;
  auto t1 = s.memoryProperty().subscribe([&](const auto&) { ++memoryChanges; });
  auto t2 = s.memoryHistoryRevisionProperty().subscribe([&](const auto&) { ++revisions; });
  refreshAt(100);
  refreshAt(102);
  EXPECT_EQ(memoryChanges, 1);
  EXPECT_EQ(revisions, 2);
  EXPECT_EQ(s.memoryHistoryRevision(), 2u);
  auto points = s.history(SeriesKind::memoryUsed, 60);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_DOUBLE_EQ(points[1].value, 9.0 / 16.0);

  MemorySnapshot empty{};
  memory->box.set(empty);  // total 0 counts as 0 used
  refreshAt(104);
  points = s.history(SeriesKind::memoryUsed, 60);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points.back().value, 0.0);

  memory->box.set(unreadable("sysinfo başarısız"));
  refreshAt(106);
  EXPECT_FALSE(s.memory());
  EXPECT_EQ(s.verdict(CardKind::memory).sentence, "—");
  EXPECT_EQ(s.memoryHistoryRevision(), 3u);
}

TEST_F(StoreApplyTest, HistoryWindowIsCutToOneHour) {
  Store& s = make();
  for (int i = 0; i < 5; ++i) refreshAt(100 + 1000.0 * i);  // points 1000 s apart
  EXPECT_EQ(s.history(SeriesKind::cpuUsage, 7200), s.history(SeriesKind::cpuUsage, 3600));
  EXPECT_EQ(s.history(SeriesKind::cpuUsage, 3600).size(), 4u);
  EXPECT_TRUE(s.history(SeriesKind::cpuUsage, 0).empty());
  EXPECT_TRUE(s.history(SeriesKind::cpuUsage, std::nan("")).empty());
  EXPECT_EQ(&s.historyRevisionProperty(SeriesKind::networkUpload), &s.networkHistoryRevisionProperty());
}

TEST_F(StoreApplyTest, NetworkAverageStartsAfreshAfterAGapOfMoreThanThreeSeconds) {
  Store& s = make();
  network->box.set(networkWithRates(100, 0));
  refreshAt(110);
  network->box.set(networkWithRates(200, 0));
  refreshAt(111);
  network->box.set(networkWithRates(300, 0));
  refreshAt(112);
  EXPECT_EQ(s.displayRates(), (NetworkRates{200, 0}));
  network->box.set(networkWithRates(50, 0));
  refreshAt(116);  // 4 s after the last reading
  EXPECT_EQ(s.displayRates(), (NetworkRates{50, 0}));
  network->box.set(networkWithRates(150, 0));
  refreshAt(119);  // exactly 3 s: still one stretch
  EXPECT_EQ(s.displayRates(), (NetworkRates{100, 0}));
}

TEST_F(StoreApplyTest, NonFiniteAndNegativeRatesStayOutOfTheAverage) {
  Store& s = make();
  network->box.set(networkWithRates(100, 10));
  refreshAt(110);
  network->box.set(networkWithRates(300, 30));
  refreshAt(111);
  uint64_t revision = s.networkHistoryRevision();

  network->box.set(networkWithRates(std::numeric_limits<double>::quiet_NaN(), 20));
  refreshAt(112);
  ASSERT_TRUE(s.network());
  EXPECT_TRUE(std::isnan(s.network()->downloadBytesPerSecond));  // published as read
  EXPECT_EQ(s.displayRates(), (NetworkRates{200, 20}));          // average of the earlier two
  EXPECT_EQ(s.networkHistoryRevision(), revision + 1);
  EXPECT_EQ(s.history(SeriesKind::networkDownload, 60).size(), 2u);
  EXPECT_EQ(s.history(SeriesKind::networkUpload, 60).size(), 3u);

  network->box.set(networkWithRates(-100, 60));
  refreshAt(113);
  EXPECT_EQ(s.displayRates(), (NetworkRates{(100 + 300 + 0) / 3.0, (10 + 30 + 60) / 3.0}));
  // The last three samples are (100,10), (300,30) and the clamped (0,60).
  EXPECT_EQ(s.history(SeriesKind::networkDownload, 60).back().value, -100);
}

TEST_F(StoreApplyTest, NetworkFailureDropsTheAverageAndTheNextSuccessStartsOver) {
  Store& s = make();
  network->box.set(networkWithRates(100, 0));
  refreshAt(110);
  network->box.set(networkWithRates(300, 0));
  refreshAt(111);
  network->box.set(unreadable("/proc/net/dev okunamadı"));
  refreshAt(112);
  EXPECT_FALSE(s.network());
  EXPECT_FALSE(s.displayRates());
  EXPECT_EQ(s.verdict(CardKind::network).sentence, "—");
  network->box.set(networkWithRates(40, 4));
  refreshAt(113);
  EXPECT_EQ(s.displayRates(), (NetworkRates{40, 4}));
  EXPECT_EQ(s.verdict(CardKind::network).sentence, "Wi-Fi bağlı.");
}

TEST_F(StoreApplyTest, SameBatteryRecordNotifiesOnceAndAFailureClearsIt) {
  Store& s = make();
  int changes = 0;
  auto token = s.batteryProperty().subscribe([&](const auto&) { ++changes; });
  for (int i = 0; i < 4; ++i) refreshAt(100 + 10.0 * i);
  EXPECT_EQ(changes, 1);
  battery->box.set(unreadable("power_supply okunamadı"));
  refreshAt(200);
  EXPECT_FALSE(s.battery());
  EXPECT_EQ(changes, 2);
  battery->box.set(std::optional<BatterySnapshot>());  // no battery at all
  refreshAt(210);
  EXPECT_EQ(changes, 2);
}

TEST_F(StoreApplyTest, VerdictsAndHeadlineFollowEveryReading) {
  Store& s = make();
  int verdictChanges = 0;
  auto token = s.verdictsProperty().subscribe([&](const auto&) { ++verdictChanges; });
  refreshAt(100);
  EXPECT_EQ(s.verdict(CardKind::network).sentence, "Wi-Fi bağlı.");
  EXPECT_EQ(s.headline().sentence, "Her şey yolunda.");
  int afterFirst = verdictChanges;
  refreshAt(110);  // the same readings: nothing reaches observers
  EXPECT_EQ(verdictChanges, afterFirst);

  memory->box.set(memoryWithPressure(MemoryPressure::warning));
  refreshAt(120);
  EXPECT_EQ(s.headline().card, CardKind::memory);
  EXPECT_EQ(s.headline().severity, Severity::warning);

  // A failed process list drops only the app clause.
  std::string withApp = s.verdict(CardKind::memory).sentence;
  processes->box.set(unreadable("/proc okunamadı"));
  refreshAt(130);
  EXPECT_FALSE(s.processes());
  EXPECT_EQ(s.verdict(CardKind::memory).severity, Severity::warning);
  EXPECT_NE(s.verdict(CardKind::memory).sentence, withApp);
}

TEST_F(StoreApplyTest, SustainedProcessorLoadWarnsAndAFailureEndsIt) {
  Store& s = make();
  s.setVisible(Surface::menuPanel, true);
  s.startIgnoringRunMode();
  cpu->box.set(CPUSnapshot{0.95, 0.5, 0.45, 8});
  ex.runPending();
  ex.advance(29);
  EXPECT_EQ(s.verdict(CardKind::cpu).severity, Severity::ok);
  ex.advance(1);  // 30 s of readings above 80 %
  EXPECT_EQ(s.verdict(CardKind::cpu).severity, Severity::warning);
  EXPECT_EQ(s.headline().card, CardKind::cpu);
  cpu->box.set(unreadable("/proc/stat okunamadı"));
  ex.advance(1);
  EXPECT_EQ(s.verdict(CardKind::cpu).sentence, "—");
  cpu->box.set(CPUSnapshot{0.95, 0.5, 0.45, 8});
  ex.advance(1);
  EXPECT_EQ(s.verdict(CardKind::cpu).severity, Severity::ok);  // the stretch starts again
}

TEST_F(StoreApplyTest, MemoryNoticeAfterThirtySecondsOfCriticalPressureThenEveryTenMinutes) {
  Store& s = makeQuiet();
  memory->box.set(memoryWithPressure(MemoryPressure::critical));
  s.startIgnoringRunMode();
  ex.runPending();  // first critical reading at 100
  ex.advanceTo(129.9);
  EXPECT_TRUE(notifier->posted.empty());
  ex.advanceTo(130);
  ASSERT_EQ(notifier->posted.size(), 1u);
  EXPECT_EQ(notifier->posted[0].identifier, "kovra.memory.critical");
  // The process loop runs under pressure, so the notice names the largest app that can be quit.
  EXPECT_EQ(notifier->posted[0].body, MantikNotificationText::memory(fakeProcessListSnapshot().topTerminableApp()).body);
  ex.advanceTo(729.9);
  EXPECT_EQ(notifier->posted.size(), 1u);
  ex.advanceTo(730);
  EXPECT_EQ(notifier->posted.size(), 2u);
}

TEST_F(StoreApplyTest, MemoryPolicyKeepsTimingWhileNotificationsAreOff) {
  defaults->set(SettingsKeys::notificationsEnabled, false);
  Store& s = makeQuiet();
  memory->box.set(memoryWithPressure(MemoryPressure::critical));
  s.startIgnoringRunMode();
  EXPECT_EQ(notifier->authorizationRequests, 0);
  ex.advanceTo(140);  // a notice would have been due at 130
  EXPECT_TRUE(notifier->posted.empty());
  settings->setNotificationsEnabled(true);
  ex.advanceTo(729.9);  // the cooldown from 130 still holds
  EXPECT_TRUE(notifier->posted.empty());
  ex.advanceTo(730);
  EXPECT_EQ(notifier->posted.size(), 1u);
}

TEST_F(StoreApplyTest, DiskNoticeOnceUntilFreeSpaceRecoversToTenPercent) {
  Store& s = make();
  auto diskNotices = [&] {
    size_t n = 0;
    for (const auto& notice : notifier->posted) n += notice.identifier == "kovra.disk.critical" ? 1 : 0;
    return n;
  };
  double t = 100;
  for (uint64_t free : {40u, 40u, 70u, 40u}) {
    disk->box.set(diskWithFree(free));
    refreshAt(t += 30);
  }
  EXPECT_EQ(diskNotices(), 1u);
  EXPECT_EQ(s.verdict(CardKind::disk).severity, Severity::critical);
  for (uint64_t free : {120u, 40u}) {
    disk->box.set(diskWithFree(free));
    refreshAt(t += 30);
  }
  EXPECT_EQ(diskNotices(), 2u);

  // A failed reading neither arms nor fires; a critical reading while notifications are off
  // still disarms.
  disk->box.set(diskWithFree(120));
  refreshAt(t += 30);
  settings->setNotificationsEnabled(false);
  disk->box.set(diskWithFree(40));
  refreshAt(t += 30);
  settings->setNotificationsEnabled(true);
  disk->box.set(unreadable("statvfs başarısız"));
  refreshAt(t += 30);
  disk->box.set(diskWithFree(40));
  refreshAt(t += 30);
  EXPECT_EQ(diskNotices(), 2u);
}

TEST_F(StoreApplyTest, AppTrafficExistsOnlyWhileTheDetailIsVisibleAndBothReadingsArePresent) {
  Store& s = make();
  refreshAt(100);  // detail hidden: the traffic kind is not even read
  EXPECT_FALSE(s.appNetwork());
  EXPECT_EQ(callsOf(K::processNetwork), 0);

  s.setVisible(Surface::networkDetail, true);
  refreshAt(110);
  ASSERT_TRUE(s.appNetwork());
  ASSERT_EQ(s.appNetwork()->size(), 1u);
  EXPECT_EQ(s.appNetwork()->front().name, "Tarayıcı");

  // A traffic result arriving after the detail was hidden only clears.
  queues->setHolding(true);
  s.refreshNow();
  for (int i = 0; i < 10; ++i) {
    queues->runHeld();
    ex.runPending();
    if (queues->heldCount() == 1 && callsOf(K::processNetwork) == 1) break;
  }
  ASSERT_EQ(queues->heldCount(), 1u);  // the traffic read is in flight
  s.setVisible(Surface::networkDetail, false);
  s.setVisible(Surface::networkDetail, true);
  queues->setHolding(false);
  queues->runHeld();
  ex.runPending();
  EXPECT_TRUE(s.appNetwork());  // visible again when it arrived: grouped with the process list

  // Hidden, then shown: no rows until a traffic reading and a process reading are both present.
  s.setVisible(Surface::networkDetail, false);
  s.setVisible(Surface::networkDetail, true);
  EXPECT_FALSE(s.appNetwork());
  processes->box.set(unreadable("/proc okunamadı"));
  refreshAt(120);
  EXPECT_FALSE(s.appNetwork());
  processes->box.set(fakeProcessListSnapshot());
  refreshAt(130);
  EXPECT_TRUE(s.appNetwork());
  processNetwork->box.set(unreadable("ss başarısız"));
  refreshAt(140);
  EXPECT_FALSE(s.appNetwork());
}

TEST_F(StoreApplyTest, TrafficResultArrivingWhileHiddenIsNotKeptForLater) {
  Store& s = make();
  s.setVisible(Surface::networkDetail, true);
  refreshAt(110);
  ASSERT_TRUE(s.appNetwork());
  queues->setHolding(true);
  s.refreshNow();
  for (int i = 0; i < 10 && callsOf(K::battery) < 2; ++i) {
    queues->runHeld();
    ex.runPending();
  }
  ASSERT_EQ(queues->heldCount(), 1u);  // the traffic read is next
  s.setVisible(Surface::networkDetail, false);
  queues->setHolding(false);
  queues->runHeld();
  ex.runPending();
  EXPECT_EQ(callsOf(K::processNetwork), 2);
  EXPECT_FALSE(s.appNetwork());

  // Shown again: a process reading alone does not bring back the hidden traffic.
  s.setVisible(Surface::networkDetail, true);
  processNetwork->box.set(notReady());
  refreshAt(120);
  EXPECT_FALSE(s.appNetwork());
  processNetwork->box.set(fakeProcessNetworkSnapshot());
  refreshAt(130);
  EXPECT_TRUE(s.appNetwork());
}

TEST_F(StoreApplyTest, SensorsAreReadOnlyWhileShownAndAPartAtItsLimitNotifiesAfterThirtySeconds) {
  SensorPartReading cpuPart;
  cpuPart.part = SensorPart::processor;
  cpuPart.celsius = 101;
  cpuPart.limitCelsius = 100;
  sensors->box.set(std::optional<SensorsSnapshot>(SensorsSnapshot{{cpuPart}, {}, {}}));
  Store& s = makeQuiet();
  EXPECT_TRUE(s.isPresent(CardKind::memory));
  EXPECT_FALSE(s.isPresent(CardKind::sensors));  // not known before a reading
  s.startIgnoringRunMode();
  ex.advanceTo(200);
  // Read once at start, so that the card is in place before a surface opens; then, idle, with the
  // card hidden and the label without temperature, never again.
  EXPECT_EQ(callsOf(K::sensors), 1);
  EXPECT_TRUE(s.isPresent(CardKind::sensors));
  EXPECT_EQ(s.headline().card, CardKind::sensors);  // a part at its limit is the worst news
  EXPECT_EQ(s.verdict(CardKind::sensors).severity, Severity::critical);

  settings->setMenuBarShowsTemperature(true);  // taken up at the next memory reading
  ex.advanceTo(202);
  ASSERT_TRUE(s.sensors());
  const int64_t first = callsOf(K::sensors);
  EXPECT_GE(first, 1);
  EXPECT_EQ(s.sensorsVerdict().severity, Severity::critical);
  ex.advanceTo(231.9);
  EXPECT_TRUE(notifier->posted.empty());
  ex.advanceTo(236);
  ASSERT_EQ(notifier->posted.size(), 1u);
  EXPECT_EQ(notifier->posted[0].identifier, "kovra.sensors.processor.critical");
  // Each reading is a point of the part's own history; no other part has one.
  const auto points = s.sensorHistory("processor", 60);
  EXPECT_GE(points.size(), 10u);
  EXPECT_EQ(points.back().value, 101);
  EXPECT_TRUE(s.sensorHistory("drive/nvme0", 3600).empty());

  // A machine without sensors publishes none; the label option off again stops the reads.
  sensors->box.set(std::optional<SensorsSnapshot>{});
  ex.advanceTo(240);
  EXPECT_FALSE(s.sensors());
  EXPECT_FALSE(s.isPresent(CardKind::sensors));
  EXPECT_EQ(s.sensorsVerdict().sentence, "\u2014");
  settings->setMenuBarShowsTemperature(false);
  ex.advanceTo(244);
  const int64_t stopped = callsOf(K::sensors);
  ex.advanceTo(300);
  EXPECT_EQ(callsOf(K::sensors), stopped);
}

}  // namespace
}  // namespace kovra::testing
