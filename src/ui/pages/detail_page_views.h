#pragma once
// The processor, memory and network pages (the disk page lives in disk_page_view.h).

#include <vector>

#include "logic/observable.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/detail_pages.h"

namespace kovra::ui {

class AppListView;
class AppNetworkListView;
class HistorySectionView;

class CpuDetailView : public DetailScaffoldView {
  Q_OBJECT
 public:
  CpuDetailView(const PageContext& context, QWidget* parent = nullptr);
  ~CpuDetailView() override;
  DetailHeaderView* header() const { return header_; }
  BigValueView* bigValue() const { return big_; }
  HistorySectionView* history() const { return history_; }
  AppListView* appList() const { return apps_; }
  KeyValueRowView* detailRow(int index) const { return rows_[index]; }

 private:
  void reload();
  ArayuzDetailModel& detail_;
  DetailHeaderView* header_;
  BigValueView* big_;
  HistorySectionView* history_;
  AppListView* apps_;
  KeyValueRowView* rows_[4];
  std::vector<ObservationToken> tokens_;
};

class MemoryDetailView : public DetailScaffoldView {
  Q_OBJECT
 public:
  MemoryDetailView(const PageContext& context, QWidget* parent = nullptr);
  ~MemoryDetailView() override;
  DetailHeaderView* header() const { return header_; }
  BigValueView* bigValue() const { return big_; }
  HistorySectionView* history() const { return history_; }
  AppListView* appList() const { return apps_; }
  KeyValueRowView* detailRow(int index) const { return rows_[index]; }
  QLabel* noteLabel() const { return note_; }

 private:
  void reload();
  ArayuzDetailModel& detail_;
  DetailHeaderView* header_;
  BigValueView* big_;
  HistorySectionView* history_;
  AppListView* apps_;
  KeyValueRowView* rows_[8];
  QLabel* note_;
  std::vector<ObservationToken> tokens_;
};

class NetworkDetailView : public DetailScaffoldView {
  Q_OBJECT
 public:
  NetworkDetailView(const PageContext& context, QWidget* parent = nullptr);
  ~NetworkDetailView() override;
  DetailHeaderView* header() const { return header_; }
  RateColumnView* downloadColumn() const { return down_; }
  RateColumnView* uploadColumn() const { return up_; }
  HistorySectionView* history() const { return history_; }
  AppNetworkListView* appList() const { return apps_; }
  KeyValueRowView* detailRow(int index) const { return rows_[index]; }

 private:
  void reload();
  Store& store_;
  ArayuzDetailModel& detail_;
  bool drivesSampling_;
  DetailHeaderView* header_;
  RateColumnView* down_;
  RateColumnView* up_;
  HistorySectionView* history_;
  AppNetworkListView* apps_;
  KeyValueRowView* rows_[5];
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
