// Loops follow visibility and memory pressure; refreshNow skips recent kinds; failures are logged
// once per distinct message; destroying the store ends every loop.

#include <gtest/gtest.h>

#include "core/log.h"
#include "store_fixture.h"

namespace kovra::testing {
namespace {

using K = MantikSampleKind;
using Kinds = std::vector<MantikSampleKind>;

TEST_F(StoreTest, StartsWithPlaceholdersAndOneLabelledQueuePerKind) {
  Store& s = make();
  EXPECT_EQ(queues->labels(),
            (std::vector<std::string>{"com.example.Kovra.sample.memory", "com.example.Kovra.sample.cpu",
                                      "com.example.Kovra.sample.network", "com.example.Kovra.sample.processes",
                                      "com.example.Kovra.sample.disk", "com.example.Kovra.sample.battery",
                                      "com.example.Kovra.sample.processNetwork", "com.example.Kovra.sample.sensors"}));
  ASSERT_EQ(s.verdicts().size(), 5u);
  for (const auto& [card, v] : s.verdicts()) {
    EXPECT_EQ(v.card, card);
    EXPECT_EQ(v.severity, Severity::neutral);
    EXPECT_EQ(v.sentence, "—");
  }
  EXPECT_EQ(s.headline(), (Verdict{std::nullopt, Severity::neutral, "—"}));
  EXPECT_EQ(s.diskScan(), DiskScanState::idle());
  EXPECT_FALSE(s.memory());

  // Under tests start() leaves the store idle: no loops, no permission request.
  s.start();
  ex.advance(60);
  EXPECT_FALSE(s.isRunning());
  EXPECT_EQ(callsOf(K::memory), 0);
  EXPECT_EQ(notifier->authorizationRequests, 0);
}

TEST_F(StoreTest, VisibilityBeforeStartIsRememberedAndStartReadsAtOnceThenEveryInterval) {
  Store& s = make();
  s.setVisible(Surface::menuPanel, true);
  EXPECT_TRUE(s.runningLoops().empty());
  ex.runPending();
  EXPECT_EQ(callsOf(K::memory), 0);

  s.startIgnoringRunMode();
  EXPECT_EQ(notifier->authorizationRequests, 1);  // notifications are on by default
  EXPECT_EQ(s.runningLoops(),
            (Kinds{K::memory, K::cpu, K::network, K::processes, K::disk, K::battery, K::sensors}));
  ex.runPending();
  EXPECT_EQ(calls(), (std::map<K, int64_t>{{K::memory, 1}, {K::cpu, 1}, {K::network, 1}, {K::processes, 1},
                                           {K::disk, 1}, {K::battery, 1}, {K::processNetwork, 0}, {K::sensors, 1}}));
  // Each loop sleeps its interval with a tenth of it as tolerance.
  for (const auto& sch : ex.scheduled()) EXPECT_NEAR(sch.tolerance * 10, sch.deadline - 100, 1e-9);

  ex.advance(10);  // reads at 100 and then every interval up to 110 inclusive
  EXPECT_EQ(callsOf(K::cpu), 11);
  EXPECT_EQ(callsOf(K::memory), 6);
  EXPECT_EQ(callsOf(K::processes), 4);
  EXPECT_EQ(callsOf(K::battery), 2);
  EXPECT_EQ(callsOf(K::disk), 1);

  s.startIgnoringRunMode();  // a second start changes nothing
  EXPECT_EQ(notifier->authorizationRequests, 1);
}

TEST_F(StoreTest, NextReadStartsIntervalPlusReadTimeAfterTheLast) {
  Store& s = makeQuiet();
  queues->setHolding(true);
  s.startIgnoringRunMode();
  ex.runPending();                   // memory and disk reads are in flight now, and the one sensors read
  ex.advance(0.7);                   // the reads take 0.7 s
  EXPECT_EQ(queues->runHeld(), 3u);  // the samplers answer
  ex.runPending();
  ex.advance(1.999);
  EXPECT_EQ(queues->heldCount(), 0u);
  ex.advance(0.001);  // 100 + 0.7 + 2
  EXPECT_EQ(queues->heldCount(), 1u);
  EXPECT_DOUBLE_EQ(ex.now(), 102.7);
}

TEST_F(StoreTest, QuietMenuBarReadsOnlyMemoryAndDiskAndPressureAddsTheProcessLoop) {
  Store& s = makeQuiet();
  s.startIgnoringRunMode();
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::disk}));
  ex.runPending();

  memory->box.set(memoryWithPressure(MemoryPressure::warning));
  ex.advance(1.9);
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::disk}));
  ex.advance(0.1);  // the next memory apply sees the warning
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::processes, K::disk}));
  EXPECT_EQ(callsOf(K::processes), 1);
  ex.advance(3);
  EXPECT_EQ(callsOf(K::processes), 2);

  memory->box.set(memoryWithPressure(MemoryPressure::normal));
  ex.advance(2);  // memory read at 106 cancels the process loop
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::disk}));
  int64_t processReads = callsOf(K::processes);
  ex.advance(30);
  EXPECT_EQ(callsOf(K::processes), processReads);

  // An unreadable memory drops the reading and with it the pressure: no process loop.
  memory->box.set(memoryWithPressure(MemoryPressure::critical));
  ex.advance(2);
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::processes, K::disk}));
  memory->box.set(unreadable("sysinfo başarısız"));
  ex.advance(2);
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::disk}));
}

TEST_F(StoreTest, NetworkDetailDrivesTrafficLoopsAndHidingItClearsAppRowsAtOnce) {
  Store& s = makeQuiet();
  s.startIgnoringRunMode();
  s.setVisible(Surface::networkDetail, true);
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::network, K::processes, K::disk, K::processNetwork}));
  ex.runPending();
  ASSERT_TRUE(s.appNetwork());
  EXPECT_EQ(s.appNetwork()->size(), 1u);

  s.setVisible(Surface::networkDetail, false);
  EXPECT_FALSE(s.appNetwork());
  EXPECT_EQ(s.runningLoops(), (Kinds{K::memory, K::disk}));
  int64_t trafficReads = callsOf(K::processNetwork);
  ex.advance(20);
  EXPECT_EQ(callsOf(K::processNetwork), trafficReads);

  // A re-wanted kind gets a fresh loop whose first read is immediate.
  s.setVisible(Surface::networkDetail, true);
  ex.runPending();
  EXPECT_EQ(callsOf(K::processNetwork), trafficReads + 1);
}

TEST_F(StoreTest, WantedLoopKeepsItsTimingWhenVisibilityChanges) {
  Store& s = makeQuiet();
  s.startIgnoringRunMode();
  ex.runPending();
  ex.advance(1);
  s.setVisible(Surface::mainWindow, true);  // memory stays wanted: not restarted
  ex.runPending();
  EXPECT_EQ(callsOf(K::memory), 1);
  ex.advance(1);
  EXPECT_EQ(callsOf(K::memory), 2);
}

TEST_F(StoreTest, ALoopCancelledDuringItsReadAppliesTheReadAndStops) {
  Store& s = make();
  s.setVisible(Surface::menuPanel, true);
  s.startIgnoringRunMode();
  queues->setHolding(true);
  ex.runPending();
  s.setVisible(Surface::menuPanel, false);  // cpu loop cancelled while its read is in flight
  queues->setHolding(false);
  queues->runHeld();
  ex.runPending();
  EXPECT_TRUE(s.cpu());  // the result still arrives
  ex.advance(10);
  EXPECT_EQ(callsOf(K::cpu), 1);
}

TEST_F(StoreTest, SameFailureIsLoggedOncePerKindUntilASuccess) {
  LogCapture log;
  Store& s = makeQuiet();
  s.startIgnoringRunMode();
  disk->box.set(unreadable("statvfs başarısız: izin yok"));
  memory->box.set(unreadable("statvfs başarısız: izin yok"));  // another kind logs on its own
  ex.runPending();
  for (int i = 0; i < 4; ++i) ex.advance(30);
  EXPECT_EQ(callsOf(K::disk), 5);
  EXPECT_FALSE(s.disk());
  EXPECT_EQ(log.count("disk okunamadı: statvfs başarısız: izin yok"), 1u);
  EXPECT_EQ(log.count("memory okunamadı: statvfs başarısız: izin yok"), 1u);

  disk->box.set(notReady());  // silent, and does not re-arm
  ex.advance(30);
  disk->box.set(unreadable("statvfs başarısız: izin yok"));
  ex.advance(30);
  EXPECT_EQ(log.count("disk okunamadı: statvfs başarısız: izin yok"), 1u);

  disk->box.set(unreadable("statvfs başarısız: G/Ç hatası"));  // a new message is logged
  ex.advance(30);
  disk->box.set(fakeDiskSnapshot());
  ex.advance(30);
  EXPECT_TRUE(s.disk());
  disk->box.set(unreadable("statvfs başarısız: izin yok"));
  ex.advance(30);
  EXPECT_EQ(log.count("disk okunamadı: statvfs başarısız: izin yok"), 2u);
  EXPECT_EQ(log.count("disk okunamadı: statvfs başarısız: G/Ç hatası"), 1u);
  for (const auto& r : log.records()) {
    if (r.category == "store") {
      EXPECT_EQ(r.level, LogLevel::error);
    }
  }
}

TEST_F(StoreTest, NotReadyKeepsTheLastReading) {
  Store& s = make();
  s.refreshNow();
  ex.runPending();
  ASSERT_TRUE(s.network());
  network->box.set(notReady());
  s.refreshNow();
  ex.runPending();
  EXPECT_EQ(s.network(), fakeNetworkSnapshot());
  EXPECT_EQ(s.displayRates(), (NetworkRates{125000, 18000}));
}

TEST_F(StoreTest, RefreshNowSkipsKindsReadLessThanHalfAnIntervalAgo) {
  Store& s = make();
  s.setVisible(Surface::menuPanel, true);
  s.startIgnoringRunMode();
  ex.runPending();  // every loop read once at 100
  ex.advance(0.4);
  bool done = false;
  s.refreshNow([&] { done = true; });
  ex.runPending();
  EXPECT_TRUE(done);
  EXPECT_EQ(callsOf(K::cpu), 1);     // 0.4 < 0.5
  EXPECT_EQ(callsOf(K::memory), 1);  // 0.4 < 1
  ex.advance(0.1);                   // 0.5 after the loop read
  s.refreshNow();
  ex.runPending();
  EXPECT_EQ(callsOf(K::cpu), 2);
  EXPECT_EQ(callsOf(K::network), 2);
  EXPECT_EQ(callsOf(K::memory), 1);
  EXPECT_EQ(callsOf(K::processNetwork), 0);  // only with the network detail visible
}

TEST_F(StoreTest, RefreshNowOnAnIdleStoreReadsEveryKindOneAfterTheOther) {
  Store& s = make();
  queues->setHolding(true);
  s.refreshNow();
  ex.runPending();
  EXPECT_EQ(queues->heldCount(), 1u);  // memory first; the rest waits for it
  s.setVisible(Surface::networkDetail, true);
  for (int i = 0; i < 10 && queues->heldCount() > 0; ++i) {
    queues->runHeld();
    ex.runPending();
  }
  EXPECT_EQ(calls(), (std::map<K, int64_t>{{K::memory, 1}, {K::cpu, 1}, {K::network, 1}, {K::processes, 1},
                                           {K::disk, 1}, {K::battery, 1}, {K::processNetwork, 1}, {K::sensors, 1}}));
  // Not running: nothing is skipped, however recent.
  s.refreshNow();
  queues->setHolding(false);
  queues->runHeld();
  ex.runPending();
  EXPECT_EQ(callsOf(K::cpu), 2);
}

TEST_F(StoreTest, DestroyingTheStoreEndsEveryLoopWithoutFurtherReads) {
  Store& s = make();
  s.setVisible(Surface::menuPanel, true);
  s.setVisible(Surface::networkDetail, true);
  s.startIgnoringRunMode();
  ex.runPending();
  ex.advance(1.5);
  queues->setHolding(true);
  ex.advance(0.5);  // some reads in flight
  ASSERT_GT(queues->heldCount(), 0u);
  s.refreshNow();
  s.terminate(fakeProcessListSnapshot().apps.front(), false);
  auto before = calls();
  store.reset();
  EXPECT_TRUE(ex.scheduled().empty());
  EXPECT_EQ(queues->runHeld(), 0u);  // blocks of destroyed queues are dropped
  ex.advance(120);
  EXPECT_EQ(calls(), before);
}

TEST_F(StoreTest, AResultArrivingAfterTheStoreIsGoneIsDropped) {
  Store& s = make();
  s.refreshNow();  // memory read queued with the sampler's answer to come
  (void)s;
  store.reset();
  EXPECT_EQ(ex.runPending(), 1u);  // the answer task runs and does nothing
}

}  // namespace
}  // namespace kovra::testing
