#pragma once
// The apps by network traffic: rates and totals per app, in the order given, rows kept per app
// identifier and updated in place. Inside a scroll area, a row out of the viewport keeps its
// newest figures and shows them when it scrolls into view.

#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/format.h"
#include "core/records.h"
#include "logic/observable.h"

class QLabel;
class QProgressBar;
class QVBoxLayout;

namespace kovra::ui {

class RowColumn;
class ViewportWatch;

class AppNetworkRowView : public QWidget {
  Q_OBJECT
 public:
  explicit AppNetworkRowView(QWidget* parent = nullptr);
  void setRow(const AppNetworkUsage& usage, RateUnit unit);
  // Keeps the figures for later (the row is out of view).
  void setPendingRow(const AppNetworkUsage& usage, RateUnit unit);
  void showPendingRow();
  bool hasPendingRow() const { return pending_.has_value(); }
  bool isBuilt() const { return hasIcon_; }
  QLabel* nameLabel() const { return name_; }
  QLabel* totalsLabel() const { return totals_; }
  QLabel* downloadLabel() const { return down_; }
  QLabel* uploadLabel() const { return up_; }

 private:
  QLabel* icon_;
  QLabel* name_;
  QLabel* totals_;
  QLabel* down_;
  QLabel* up_;
  std::optional<std::pair<AppNetworkUsage, RateUnit>> pending_;
  bool hasIcon_ = false;
};

// The accessibility label of one row.
QString appNetworkRowDescription(const AppNetworkUsage& usage, RateUnit unit);

class AppNetworkListView : public QWidget {
  Q_OBJECT
 public:
  // Both observables (the detail model's) must outlive the view.
  AppNetworkListView(const Observable<std::optional<std::vector<AppNetworkUsage>>>& rows,
                     const Observable<RateUnit>& unit, QWidget* parent = nullptr);
  ~AppNetworkListView() override;

  std::vector<AppNetworkRowView*> rows() const;
  QWidget* measuringView() const { return measuring_; }
  QLabel* emptyLabel() const { return empty_; }
  QLabel* footerLabel() const { return footer_; }
  // Rows whose newest figures wait for them to scroll into view.
  int pendingRowCount() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void reload();
  void showRowsInView();

  const Observable<std::optional<std::vector<AppNetworkUsage>>>& source_;
  const Observable<RateUnit>& unit_;
  QWidget* measuring_;
  QLabel* empty_;
  RowColumn* rowBox_;
  QLabel* footer_;
  std::map<std::string, AppNetworkRowView*> rowsById_;
  std::vector<std::string> order_;
  ViewportWatch* viewport_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
