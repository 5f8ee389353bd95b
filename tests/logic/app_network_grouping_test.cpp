#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "logic/app_network_grouping.h"

namespace kovra {
namespace {

namespace G = MantikAppNetworkGrouping;

AppUsage app(std::string id, std::string name, std::vector<int32_t> pids, AppGroupKind kind = AppGroupKind::app) {
  AppUsage a;
  a.id = std::move(id);
  a.name = std::move(name);
  a.kind = kind;
  if (kind == AppGroupKind::app) a.bundlePath = "/usr/share/applications/" + a.id + ".desktop";
  for (int32_t pid : pids) a.processes.push_back({pid, "p" + std::to_string(pid), 0, std::nullopt});
  return a;
}

ProcessNetworkEntry traffic(int32_t pid, double down, double up, uint64_t totalDown, uint64_t totalUp) {
  return {pid, "p" + std::to_string(pid), down, up, totalDown, totalUp};
}

AppNetworkUsage row(std::string id, std::string name, double down, double up, uint64_t totalDown = 0,
                    uint64_t totalUp = 0) {
  AppNetworkUsage r;
  r.id = std::move(id);
  r.name = std::move(name);
  r.downloadBytesPerSecond = down;
  r.uploadBytesPerSecond = up;
  r.totalDownloadedBytes = totalDown;
  r.totalUploadedBytes = totalUp;
  return r;
}

std::vector<std::string> ids(const std::vector<AppNetworkUsage>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.id);
  return out;
}

TEST(AppNetworkGrouping, EmptyTrafficGivesNoRows) {
  ProcessListSnapshot processes{{app("web", "Web", {1, 2})}, 0};
  EXPECT_TRUE(G::group({}, processes).empty());
}

TEST(AppNetworkGrouping, UnknownProcessesGoToTheSystemRow) {
  auto rows = G::group({{traffic(1, 10, 0, 100, 0), traffic(2, 5, 1, 50, 5)}}, {});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].id, "system");
  EXPECT_EQ(rows[0].name, "Sistem ve arka plan");
  EXPECT_EQ(rows[0].kind, AppGroupKind::system);
  EXPECT_FALSE(rows[0].bundlePath);
  EXPECT_DOUBLE_EQ(rows[0].downloadBytesPerSecond, 15);
  EXPECT_EQ(rows[0].totalDownloadedBytes, 150u);
  EXPECT_EQ(rows[0].totalUploadedBytes, 5u);

  // With a system group in the list, its name is used; an exited process still lands there.
  ProcessListSnapshot processes{{app("system", "Arka plan", {7}, AppGroupKind::system), app("web", "Web", {1})}, 0};
  rows = G::group({{traffic(1, 1, 0, 1, 0), traffic(99, 0, 0, 500, 0)}}, processes);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].id, "system");
  EXPECT_EQ(rows[1].name, "Arka plan");
  EXPECT_EQ(rows[1].totalDownloadedBytes, 500u);
}

TEST(AppNetworkGrouping, ProcessesOfOneAppAreSummed) {
  ProcessListSnapshot processes{{app("web", "Web", {1, 2}), app("mail", "Mail", {3}), app("dup", "Dup", {3})}, 0};
  auto rows = G::group({{traffic(1, 100, 10, 1000, 100), traffic(2, 50, 5, 500, 50), traffic(3, 1, 1, 1, 1)}},
                       processes);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].id, "web");
  EXPECT_EQ(rows[0].bundlePath, "/usr/share/applications/web.desktop");
  EXPECT_EQ(rows[0].kind, AppGroupKind::app);
  EXPECT_DOUBLE_EQ(rows[0].downloadBytesPerSecond, 150);
  EXPECT_DOUBLE_EQ(rows[0].uploadBytesPerSecond, 15);
  EXPECT_EQ(rows[0].totalDownloadedBytes, 1500u);
  EXPECT_EQ(rows[0].totalUploadedBytes, 150u);
  EXPECT_EQ(rows[1].id, "dup");  // a pid listed under two apps belongs to the later one
}

TEST(AppNetworkGrouping, BrokenRatesAddNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  ProcessListSnapshot processes{{app("web", "Web", {1, 2, 3, 4})}, 0};
  auto rows = G::group({{traffic(1, nan, -5, 0, 0), traffic(2, inf, 3, 0, 0), traffic(3, 2, -inf, 0, 0),
                         traffic(4, 0, 0, 0, 0)}},
                       processes);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0].downloadBytesPerSecond, 2);
  EXPECT_DOUBLE_EQ(rows[0].uploadBytesPerSecond, 3);
}

TEST(AppNetworkGrouping, TotalsSaturateAndSortAsLargest) {
  ProcessListSnapshot processes{{app("big", "Big", {1, 2}), app("small", "Small", {3})}, 0};
  auto rows = G::group({{traffic(3, 0, 0, 1000, 0), traffic(1, 0, 0, UINT64_MAX - 5, UINT64_MAX),
                         traffic(2, 0, 0, 10, 7)}},
                       processes);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].id, "big");
  EXPECT_EQ(rows[0].totalDownloadedBytes, UINT64_MAX);
  EXPECT_EQ(rows[0].totalUploadedBytes, UINT64_MAX);
  EXPECT_EQ(G::saturatingAdd(UINT64_MAX, 1), UINT64_MAX);
  EXPECT_EQ(G::saturatingAdd(2, 3), 5u);
}

TEST(AppNetworkGrouping, SortOrder) {
  // Rates first, then totals (idle apps), then name, then id; equal rows keep their order.
  auto sorted = G::sorted({row("b", "Zed", 0, 0, 10), row("a", "Alpha", 0, 0, 10), row("c", "Alpha", 0, 0, 10),
                           row("busy", "Busy", 1, 1), row("idle-big", "Idle", 0, 0, 5, 500), row("fast", "F", 0, 3)});
  EXPECT_EQ(ids(sorted), (std::vector<std::string>{"fast", "busy", "idle-big", "a", "c", "b"}));

  // Rows made elsewhere may carry NaN; they go last instead of breaking the order.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto withNaN = G::sorted({row("n1", "N", nan, 0), row("z", "Z", 0, 0), row("n2", "M", 0, nan), row("y", "Y", 5, 0)});
  EXPECT_EQ(ids(withNaN), (std::vector<std::string>{"y", "z", "n2", "n1"}));
}

}  // namespace
}  // namespace kovra
