#pragma once
// What the dashboard cards, the headline band and the battery strip show, prepared from the
// store on demand: when a surface showing the dashboard appears, and on every label tick while
// one is visible. Each property is replaced only when its value changed.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/records.h"
#include "logic/observable.h"
#include "present/chart_data.h"
#include "store/sample_kind.h"

namespace kovra {

class Store;

struct ArayuzConnectionInfo {
  std::optional<ConnectionKind> connection;
  std::optional<std::string> localIP;
  std::optional<uint64_t> totalDownloaded;
  std::optional<uint64_t> totalUploaded;
  bool operator==(const ArayuzConnectionInfo&) const = default;
};

struct ArayuzTopApp {
  std::string id;
  std::string name;
  AppGroupKind kind = AppGroupKind::system;
  std::optional<std::string> bundlePath;
  std::string percentText;
  bool operator==(const ArayuzTopApp&) const = default;
};

enum class ArayuzSparkKind { memory, cpu, network, sensors };

class ArayuzDashboardModel {
 public:
  // Sparklines cover the last minute, at most this many points per series.
  static constexpr double kSparkSpan = 60;
  static constexpr int kSparkPoints = 120;
  static constexpr double kNetworkMinimumTop = 50000;

  // Refreshes once. `store` must outlive the model.
  explicit ArayuzDashboardModel(const Store& store);
  ArayuzDashboardModel(const ArayuzDashboardModel&) = delete;
  ArayuzDashboardModel& operator=(const ArayuzDashboardModel&) = delete;

  void refresh();
  // Showing a surface refreshes when none showed the dashboard before; hiding clears nothing.
  void setVisible(Surface surface, bool visible);
  const std::set<Surface>& visibleSurfaces() const { return visibleSurfaces_; }

  const Observable<Verdict>& verdict(CardKind card) const;
  // Whether the card shows at all (the machine has what it shows).
  const Observable<bool>& present(CardKind card) const;
  const Observable<std::vector<ArayuzSparkSegment>>& spark(ArayuzSparkKind kind) const;

  // Widest expected texts, so that the cards can reserve their width.
  const std::string memoryTemplate;
  const std::string diskTemplate;
  const std::string percentTemplate;

  // Published properties.
  const Observable<Verdict>& headline() const { return headline_; }
  const Observable<std::optional<MemorySnapshot>>& memory() const { return memory_; }
  const Observable<std::string>& memoryUsedText() const { return memoryUsedText_; }
  const Observable<std::string>& memoryTotalLine() const { return memoryTotalLine_; }
  const Observable<std::string>& downloadText() const { return downloadText_; }
  const Observable<std::string>& uploadText() const { return uploadText_; }
  const Observable<std::string>& rateTemplate() const { return rateTemplate_; }
  const Observable<ArayuzConnectionInfo>& connection() const { return connection_; }
  const Observable<std::string>& diskFreeText() const { return diskFreeText_; }
  const Observable<std::string>& diskTotalLine() const { return diskTotalLine_; }
  const Observable<std::optional<double>>& diskUsedFraction() const { return diskUsedFraction_; }
  const Observable<std::string>& cpuText() const { return cpuText_; }
  const Observable<std::vector<ArayuzTopApp>>& topCPUApps() const { return topCPUApps_; }
  const Observable<std::vector<ArayuzSparkSegment>>& memorySpark() const { return memorySpark_; }
  const Observable<std::vector<ArayuzSparkSegment>>& cpuSpark() const { return cpuSpark_; }
  const Observable<std::vector<ArayuzSparkSegment>>& networkSpark() const { return networkSpark_; }
  const Observable<std::optional<BatterySnapshot>>& battery() const { return battery_; }
  // The temperature card: the figure of the part its verdict speaks of ("62 °C"), that part's
  // name, and the fastest fan ("Fan 2.700 dev/dk"; empty without fans).
  const Observable<std::string>& sensorsText() const { return sensorsText_; }
  const Observable<std::string>& sensorsPart() const { return sensorsPart_; }
  const Observable<std::string>& sensorsFan() const { return sensorsFan_; }
  const std::string temperatureTemplate;

 private:
  void refreshSparks(Date now);
  void refreshSensors();

  const Store& store_;
  std::set<Surface> visibleSurfaces_;
  Observable<Verdict> headline_;
  // One per card of the store's kind table.
  std::map<CardKind, Observable<Verdict>> verdicts_;
  std::map<CardKind, Observable<bool>> present_;
  Observable<std::optional<MemorySnapshot>> memory_;
  Observable<std::string> memoryUsedText_;
  Observable<std::string> memoryTotalLine_;
  Observable<std::string> downloadText_;
  Observable<std::string> uploadText_;
  Observable<std::string> rateTemplate_;
  Observable<ArayuzConnectionInfo> connection_;
  Observable<std::string> diskFreeText_;
  Observable<std::string> diskTotalLine_;
  Observable<std::optional<double>> diskUsedFraction_;
  Observable<std::string> cpuText_;
  Observable<std::vector<ArayuzTopApp>> topCPUApps_;
  Observable<std::vector<ArayuzSparkSegment>> memorySpark_;
  Observable<std::vector<ArayuzSparkSegment>> cpuSpark_;
  Observable<std::vector<ArayuzSparkSegment>> networkSpark_;
  Observable<std::vector<ArayuzSparkSegment>> sensorsSpark_;
  Observable<std::optional<BatterySnapshot>> battery_;
  Observable<std::string> sensorsText_;
  Observable<std::string> sensorsPart_;
  Observable<std::string> sensorsFan_;
  std::string sensorsFocus_;  // the key of the part the card shows
};

}  // namespace kovra
