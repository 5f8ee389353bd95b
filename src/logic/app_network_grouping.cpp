#include "logic/app_network_grouping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/localize.h"

namespace kovra::MantikAppNetworkGrouping {

namespace {

constexpr std::string_view kSystemId = "system";

// Only real, positive rates count; a broken reading must not poison the whole row.
void addRate(double& sum, double rate) {
  if (rate > 0 && std::isfinite(rate)) sum += rate;
}

// Rate sum used for ordering. A row handed in from elsewhere may carry NaN, which would break
// the ordering itself; it sorts below every real number instead.
double rateKey(const AppNetworkUsage& row) {
  double sum = row.downloadBytesPerSecond + row.uploadBytesPerSecond;
  return std::isnan(sum) ? -std::numeric_limits<double>::infinity() : sum;
}

uint64_t totalKey(const AppNetworkUsage& row) {
  return saturatingAdd(row.totalDownloadedBytes, row.totalUploadedBytes);
}

}  // namespace

std::vector<AppNetworkUsage> group(const ProcessNetworkSnapshot& network, const ProcessListSnapshot& processes) {
  if (network.entries.empty()) return {};

  std::unordered_map<int32_t, size_t> appOfPid;
  for (size_t i = 0; i < processes.apps.size(); ++i) {
    for (const ProcessEntry& p : processes.apps[i].processes) appOfPid[p.pid] = i;  // later app wins
  }

  std::string systemName;
  auto systemApp = std::find_if(processes.apps.begin(), processes.apps.end(),
                                [](const AppUsage& a) { return a.id == kSystemId; });
  systemName = systemApp != processes.apps.end() ? systemApp->name
                                                 : localized("Sistem ve arka plan", "System group name");

  std::vector<AppNetworkUsage> rows;
  std::unordered_map<std::string, size_t> rowOfId;
  for (const ProcessNetworkEntry& entry : network.entries) {
    AppNetworkUsage identity;
    if (auto found = appOfPid.find(entry.pid); found != appOfPid.end()) {
      const AppUsage& app = processes.apps[found->second];
      identity.id = app.id;
      identity.name = app.name;
      identity.kind = app.kind;
      identity.bundlePath = app.bundlePath;
    } else {
      identity.id = std::string(kSystemId);
      identity.name = systemName;
      identity.kind = AppGroupKind::system;
    }
    auto [slot, inserted] = rowOfId.try_emplace(identity.id, rows.size());
    if (inserted) rows.push_back(std::move(identity));
    AppNetworkUsage& row = rows[slot->second];
    addRate(row.downloadBytesPerSecond, entry.downloadBytesPerSecond);
    addRate(row.uploadBytesPerSecond, entry.uploadBytesPerSecond);
    row.totalDownloadedBytes = saturatingAdd(row.totalDownloadedBytes, entry.totalDownloadedBytes);
    row.totalUploadedBytes = saturatingAdd(row.totalUploadedBytes, entry.totalUploadedBytes);
  }
  return sorted(std::move(rows));
}

std::vector<AppNetworkUsage> sorted(std::vector<AppNetworkUsage> rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const AppNetworkUsage& a, const AppNetworkUsage& b) {
    double ra = rateKey(a), rb = rateKey(b);
    if (ra != rb) return ra > rb;
    uint64_t ta = totalKey(a), tb = totalKey(b);
    if (ta != tb) return ta > tb;
    if (a.name != b.name) return a.name < b.name;
    return a.id < b.id;
  });
  return rows;
}

}  // namespace kovra::MantikAppNetworkGrouping
