#include <gtest/gtest.h>

#include <string>

#include "platform/linux/linux_memory_platform.h"
#include "platform/linux/memory_pressure.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

using linuxfs::MemoryPressureTracker;
using linuxfs::PressureInputs;
using linuxfs::PsiAverages;

constexpr uint64_t kTotal = 1000;

PressureInputs psi(double some, double full, uint64_t available, uint64_t swapTotal = 0, uint64_t swapFree = 0) {
  return PressureInputs{PsiAverages{some, full}, kTotal, available, swapTotal, swapFree};
}
PressureInputs noPsi(uint64_t available) { return PressureInputs{std::nullopt, kTotal, available, 0, 0}; }

TEST(MemoryPressureTrackerTest, EntersCriticalAtOnceOnAnyCriticalMark) {
  for (auto in : {psi(0, 10, 400), psi(40, 0, 400), psi(0, 0, 50)}) {
    MemoryPressureTracker t;
    EXPECT_EQ(t.update(in, 0), 4);
  }
  // Low memory with swap to spare is only a warning.
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(psi(0, 0, 50, 1000, 500), 0), 2);
  EXPECT_EQ(t.update(psi(0, 0, 50, 1000, 100), 1), 4);  // 90 % of swap used
}

TEST(MemoryPressureTrackerTest, WarningNeedsSomeStallTwiceInARow) {
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(psi(15, 0, 400), 0), 1);
  EXPECT_EQ(t.update(psi(3, 0, 400), 2), 1);
  EXPECT_EQ(t.update(psi(15, 0, 400), 4), 1);
  EXPECT_EQ(t.update(psi(12, 0, 400), 6), 2);
  MemoryPressureTracker full;
  EXPECT_EQ(full.update(psi(0, 2, 400), 0), 2);
  MemoryPressureTracker low;
  EXPECT_EQ(low.update(psi(0, 0, 100), 0), 2);
}

TEST(MemoryPressureTrackerTest, StallsCountOnlyWhileHalfTheMemoryIsGone) {
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(psi(90, 50, 500), 0), 1);
  EXPECT_EQ(t.update(psi(90, 50, 499), 1), 4);
}

TEST(MemoryPressureTrackerTest, StepsDownOneLevelAfterTheDwell) {
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(psi(0, 12, 400), 0), 4);
  // Below the critical exit marks but not yet calm enough for normal.
  EXPECT_EQ(t.update(psi(10, 3, 400), 1), 4);
  EXPECT_EQ(t.update(psi(10, 3, 400), 10.5), 4);
  EXPECT_EQ(t.update(psi(10, 3, 400), 11), 2);
  // Calm for warning from here on: normal only 30 s later.
  EXPECT_EQ(t.update(psi(1, 0, 400), 12), 2);
  EXPECT_EQ(t.update(psi(1, 0, 400), 41.9), 2);
  EXPECT_EQ(t.update(psi(1, 0, 400), 42), 1);
}

TEST(MemoryPressureTrackerTest, ANoisyReadingRestartsTheDwell) {
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(psi(0, 12, 400), 0), 4);
  EXPECT_EQ(t.update(psi(0, 0, 400), 1), 4);
  EXPECT_EQ(t.update(psi(25, 0, 400), 8), 4);  // some ≥ 20 %: not calm
  EXPECT_EQ(t.update(psi(0, 0, 400), 9), 4);
  EXPECT_EQ(t.update(psi(0, 0, 400), 18.9), 4);
  EXPECT_EQ(t.update(psi(0, 0, 400), 19), 2);
  // Between the marks the level holds; a new critical mark jumps straight back.
  EXPECT_EQ(t.update(psi(0, 0, 120), 100), 2);
  EXPECT_EQ(t.update(psi(0, 10, 400), 101), 4);
}

TEST(MemoryPressureTrackerTest, WithoutStallFiguresAvailableMemoryDecides) {
  MemoryPressureTracker t;
  EXPECT_EQ(t.update(noPsi(210), 0), 1);
  EXPECT_EQ(t.update(noPsi(200), 1), 2);
  EXPECT_EQ(t.update(noPsi(100), 2), 4);
  EXPECT_EQ(t.update(noPsi(150), 3), 4);  // not above 15 %
  EXPECT_EQ(t.update(noPsi(151), 4), 4);
  EXPECT_EQ(t.update(noPsi(151), 14), 2);
  EXPECT_EQ(t.update(noPsi(240), 15), 2);  // 20 % < available ≤ 25 %: holds
  EXPECT_EQ(t.update(noPsi(260), 16), 2);
  EXPECT_EQ(t.update(noPsi(260), 46), 1);
}

// ---- the Linux memory layer against fixture files ------------------------------------------------

std::string meminfo(uint64_t totalKb, uint64_t availableKb, uint64_t swapTotalKb = 0, uint64_t swapFreeKb = 0) {
  auto line = [](const char* k, uint64_t v) { return std::string(k) + ":  " + std::to_string(v) + " kB\n"; };
  return line("MemTotal", totalKb) + line("MemFree", availableKb / 2) + line("MemAvailable", availableKb) +
         line("Buffers", 100) + line("Cached", 3000) + line("SwapCached", 0) + line("SwapTotal", swapTotalKb) +
         line("SwapFree", swapFreeKb) + line("Zswap", 40) + line("AnonPages", 2000) + line("Shmem", 500) +
         line("SReclaimable", 200);
}

std::string pressure(double some, double full) {
  return "some avg10=" + std::to_string(some) + " avg60=0.00 avg300=0.00 total=1\nfull avg10=" +
         std::to_string(full) + " avg60=0.00 avg300=0.00 total=1\n";
}

struct Fixture {
  testing::TempDir dir;
  double now = 0;
  LinuxMemoryPlatform platform{
      LinuxMemoryPlatform::Paths{dir.at("meminfo"), dir.at("pressure/memory"), dir.at("block")}, [this] { return now; }};
};

TEST(LinuxMemoryPlatformTest, MissingRequiredLinesFailNamingTheLine) {
  Fixture f;
  f.dir.write("meminfo", "MemTotal: 1000 kB\nMemFree: 10 kB\n");
  EXPECT_EQ(f.platform.figures().error(), f.dir.at("meminfo") + ": Buffers okunamadı");
  EXPECT_FALSE(f.platform.pressure().ok());
  f.dir.write("meminfo", "MemTotal: 0 kB\nMemFree: 0 kB\nBuffers: 0 kB\nCached: 0 kB\nAnonPages: 0 kB\nShmem: 0 kB\n");
  EXPECT_EQ(f.platform.figures().error(), f.dir.at("meminfo") + " MemTotal: 0");
  testing::TempDir empty;
  LinuxMemoryPlatform missing({empty.at("meminfo"), empty.at("p"), empty.at("b")}, [] { return 0.0; });
  EXPECT_EQ(missing.figures().error(),
            empty.at("meminfo") + " okunamadı: No such file or directory (errno 2)");
}

TEST(LinuxMemoryPlatformTest, PressureFollowsTheFilesAcrossThresholdsAndDwell) {
  Fixture f;
  auto level = [&](uint64_t availableKb, double some, double full, double at) {
    f.dir.write("meminfo", meminfo(100000, availableKb));
    f.dir.write("pressure/memory", pressure(some, full));
    f.now = at;
    EXPECT_TRUE(f.platform.figures().ok());
    auto l = f.platform.pressure();
    return l.ok() ? rawValue(l.value()) : -1;
  };
  EXPECT_EQ(level(60000, 30, 5, 0), 1);   // stalls with most memory free do not count
  EXPECT_EQ(level(40000, 11, 0, 2), 1);
  EXPECT_EQ(level(40000, 11, 0, 4), 2);
  EXPECT_EQ(level(40000, 45, 0, 6), 4);
  EXPECT_EQ(level(40000, 4, 0.5, 8), 4);
  EXPECT_EQ(level(40000, 4, 0.5, 18), 2);
  EXPECT_EQ(level(40000, 4, 0.5, 47), 2);
  EXPECT_EQ(level(40000, 4, 0.5, 48), 1);
  EXPECT_EQ(level(4000, 0, 0, 50), 4);    // no swap and ≤ 5 % available

  f.dir.write("pressure/memory", "garbage\n");
  EXPECT_TRUE(f.platform.figures().ok());
  EXPECT_EQ(f.platform.pressure().error(), f.dir.at("pressure/memory") + ": beklenmeyen biçim");
}

TEST(LinuxMemoryPlatformTest, WithoutPressureFilesAvailableMemoryAloneDecides) {
  Fixture f;
  f.dir.write("meminfo", meminfo(100000, 19000));
  ASSERT_TRUE(f.platform.figures().ok());
  EXPECT_EQ(f.platform.pressure().value(), MemoryPressure::warning);
  f.dir.write("meminfo", "MemTotal: 1000 kB\nMemFree: 10 kB\nBuffers: 0 kB\nCached: 0 kB\nAnonPages: 0 kB\nShmem: 0 kB\n");
  ASSERT_TRUE(f.platform.figures().ok());
  EXPECT_EQ(f.platform.pressure().error(), f.dir.at("meminfo") + ": MemAvailable okunamadı");
  EXPECT_EQ(f.platform.swapUsage().error(), f.dir.at("meminfo") + ": SwapTotal okunamadı");
}

}  // namespace
}  // namespace kovra
