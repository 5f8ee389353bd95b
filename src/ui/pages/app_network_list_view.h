#pragma once
// The apps by network traffic: rates and totals per app, in the order given, rows kept per app
// identifier and updated in place.

#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/format.h"
#include "core/records.h"
#include "logic/observable.h"

class QLabel;
class QProgressBar;
class QVBoxLayout;

namespace kovra::ui {

class RowColumn;

class AppNetworkRowView : public QWidget {
  Q_OBJECT
 public:
  explicit AppNetworkRowView(QWidget* parent = nullptr);
  void setRow(const AppNetworkUsage& usage, RateUnit unit);
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

  std::vector<AppNetworkRowView*> rows() const;
  QWidget* measuringView() const { return measuring_; }
  QLabel* emptyLabel() const { return empty_; }
  QLabel* footerLabel() const { return footer_; }

 private:
  void reload();

  const Observable<std::optional<std::vector<AppNetworkUsage>>>& source_;
  const Observable<RateUnit>& unit_;
  QWidget* measuring_;
  QLabel* empty_;
  RowColumn* rowBox_;
  QLabel* footer_;
  std::map<std::string, AppNetworkRowView*> rowsById_;
  std::vector<std::string> order_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
