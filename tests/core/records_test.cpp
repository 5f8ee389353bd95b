#include "core/records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kovra {
namespace {

AppUsage app(std::string id, std::optional<double> cpu, bool canTerminate = false) {
  AppUsage a;
  a.id = id;
  a.name = id;
  a.kind = AppGroupKind::app;
  a.cpuFraction = cpu;
  a.canTerminate = canTerminate;
  return a;
}

TEST(Records, EqualityIsFieldByFieldAndNaNNeverEqual) {
  CPUSnapshot a{0.5, 0.3, 0.2, 4};
  EXPECT_EQ(a, (CPUSnapshot{0.5, 0.3, 0.2, 4}));
  EXPECT_NE(a, (CPUSnapshot{0.5, 0.3, 0.2, 8}));
  CPUSnapshot n{std::nan(""), 0, 0, 1};
  EXPECT_NE(n, n);
  ProcessEntry p{1, "x", 10, std::nan("")};
  EXPECT_NE(p, p);
}

TEST(Records, RawValues) {
  EXPECT_EQ(memoryPressureFromRaw(3), std::nullopt);
  EXPECT_EQ(memoryPressureFromRaw(4), MemoryPressure::critical);
  EXPECT_EQ(memoryPressureFromRaw(1), MemoryPressure::normal);
  EXPECT_EQ(cardKindFromRaw("settings"), std::nullopt);
  EXPECT_EQ(cardKindFromRaw("cpu"), CardKind::cpu);
  EXPECT_EQ(rawValue(ConnectionKind::wifi), "wifi");
  EXPECT_EQ(connectionKindFromRaw("none"), ConnectionKind::none);
  EXPECT_EQ(seriesKindFromRaw("networkUpload"), SeriesKind::networkUpload);
  EXPECT_EQ(severityFromRaw(3), Severity::critical);
  EXPECT_EQ(severityFromRaw(4), std::nullopt);
  EXPECT_LT(Severity::ok, Severity::warning);
  EXPECT_LT(Severity::neutral, Severity::critical);
}

TEST(Records, DerivedMemoryAndDiskFractions) {
  MemorySnapshot m{1000, 200, 100, 50, 300, std::nullopt, std::nullopt};
  EXPECT_EQ(m.usedBytes(), 350u);
  EXPECT_DOUBLE_EQ(m.usedFraction(), 0.35);
  m.totalBytes = 0;
  EXPECT_EQ(m.usedFraction(), 0);
  MemorySnapshot huge{1, UINT64_MAX, 5, 5, 0, std::nullopt, std::nullopt};
  EXPECT_EQ(huge.usedBytes(), UINT64_MAX);

  EXPECT_EQ((DiskSnapshot{0, 0, std::nullopt}).freeFraction(), std::nullopt);
  EXPECT_DOUBLE_EQ(*(DiskSnapshot{200, 50, std::nullopt}).freeFraction(), 0.25);
}

TEST(ProcessListQueries, TopByCPUIsStableAndSkipsAbsentShares) {
  ProcessListSnapshot s{{app("none", std::nullopt), app("a", 0.2), app("b", 0.5), app("c", 0.2)}, 0};
  auto top = s.topByCPU(3);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0].id, "b");
  EXPECT_EQ(top[1].id, "a");
  EXPECT_EQ(top[2].id, "c");
  EXPECT_EQ(s.topByCPU(1).size(), 1u);
  EXPECT_TRUE(s.topByCPU(0).empty());
  EXPECT_EQ(s.topByCPU(10).size(), 3u);
}

TEST(ProcessListQueries, NaNShareDoesNotBreakTheOrder) {
  ProcessListSnapshot s{{app("nan", std::nan("")), app("a", 0.1), app("b", 0.9)}, 0};
  auto top = s.topByCPU(3);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0].id, "b");
  EXPECT_EQ(top[1].id, "a");
  EXPECT_EQ(top[2].id, "nan");
}

TEST(ProcessListQueries, TopTerminableApp) {
  AppUsage system = app("system", 0.1);
  system.kind = AppGroupKind::system;
  ProcessListSnapshot none{{system, app("a", 0.1)}, 0};
  EXPECT_EQ(none.topTerminableApp(), std::nullopt);
  ProcessListSnapshot some{{system, app("a", 0.1), app("b", 0.1, true), app("c", 0.1, true)}, 0};
  ASSERT_TRUE(some.topTerminableApp());
  EXPECT_EQ(some.topTerminableApp()->id, "b");
}

TEST(DiskScanStateValue, EqualOnlyWithSameCaseAndPayload) {
  EXPECT_EQ(DiskScanState::idle(), DiskScanState::idle());
  EXPECT_NE(DiskScanState::idle(), DiskScanState::cancelled());
  EXPECT_EQ(DiskScanState::failed("x"), DiskScanState::failed("x"));
  EXPECT_NE(DiskScanState::failed("x"), DiskScanState::failed("y"));
  DiskScanProgress p{1, 2, "a", 0.5};
  EXPECT_EQ(DiskScanState::scanning(p), DiskScanState::scanning(p));
  p.fraction = 0.6;
  EXPECT_NE(DiskScanState::scanning(p), DiskScanState::scanning(DiskScanProgress{1, 2, "a", 0.5}));
}

}  // namespace
}  // namespace kovra
