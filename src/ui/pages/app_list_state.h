#pragma once
// What an app list shows and remembers, without any widget: the rows in order with their bar
// fractions and value texts, and the user's state per app (expanded rows, the pending quit and
// force-quit confirmations, the armed force quit, the last outcome note). State is keyed by the
// app's identifier, so it survives refreshes and re-sorting.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/records.h"
#include "present/terminate_note.h"

namespace kovra {
class Store;
}

namespace kovra::ui {

enum class ArayuzAppMetric { memory, cpu };

// The value text of an app or a process: its memory, or its processor share ("—" without one).
std::string appValueText(ArayuzAppMetric metric, uint64_t footprintBytes, const std::optional<double>& cpuFraction);

struct AppListRow {
  const AppUsage* app = nullptr;  // points into the snapshot the rows were built from
  double fraction = 0;            // 0…1 of the largest value in the list
  std::string valueText;
};

// The apps of `snapshot` in list order: by memory as given, by CPU only those with a share,
// largest first. Empty without a snapshot. The rows point into `snapshot`.
std::vector<AppListRow> appListRows(const ProcessListSnapshot* snapshot, ArayuzAppMetric metric);

class AppListState {
 public:
  explicit AppListState(ArayuzAppMetric metric) : metric_(metric) {}

  ArayuzAppMetric metric() const { return metric_; }
  bool isExpanded(const std::string& id) const { return expanded_.contains(id); }
  void toggle(const std::string& id);

  const std::optional<AppUsage>& quitCandidate() const { return quitCandidate_; }
  const std::optional<AppUsage>& forceCandidate() const { return forceCandidate_; }
  const std::optional<std::string>& forceArmedID() const { return forceArmedID_; }
  const ArayuzTerminateNote* note(const std::string& id) const;

  // "Kapat…": waits for the quit confirmation.
  void askQuit(const AppUsage& app) { quitCandidate_ = app; }
  void clearQuitCandidate() { quitCandidate_.reset(); }
  // "Zorla kapat…": waits for the first force-quit confirmation.
  void askForce(const AppUsage& app) { forceCandidate_ = app; }
  void clearForceCandidate() { forceCandidate_.reset(); }
  // "Devam et": the row shows the final box; any other armed row is disarmed.
  void arm(const std::string& id) { forceArmedID_ = id; }
  void disarm() { forceArmedID_.reset(); }

  // Quits (or force-quits) the app through the store, using its freshest record; disarms, keeps
  // the outcome's note and logs a failure. Returns the outcome.
  TerminateOutcome perform(Store& store, const AppUsage& app, bool force);

 private:
  ArayuzAppMetric metric_;
  std::set<std::string> expanded_;
  std::optional<AppUsage> quitCandidate_;
  std::optional<AppUsage> forceCandidate_;
  std::optional<std::string> forceArmedID_;
  std::map<std::string, ArayuzTerminateNote> notes_;
};

}  // namespace kovra::ui
