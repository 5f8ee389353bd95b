#pragma once
// The disk page: the home volume's capacity, and the scan section that finds the largest
// folders and files in the home folder (start, progress, result, failure, cancellation).

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/records.h"
#include "logic/observable.h"
#include "ui/pages/detail_components.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kovra {
class ArayuzDetailModel;
class Store;
}  // namespace kovra

namespace kovra::ui {

// The path with the home folder written as "~".
QString tildePath(const std::string& path);

class FullDiskAccessNoticeView : public NoticeBoxView {
  Q_OBJECT
 public:
  explicit FullDiskAccessNoticeView(const QString& text, QWidget* parent = nullptr);
};

class DiskScanProgressView : public QWidget {
  Q_OBJECT
 public:
  explicit DiskScanProgressView(QWidget* parent = nullptr);
  void setProgress(const DiskScanProgress& progress);
  QProgressBar* bar() const { return bar_; }
  QLabel* countLabel() const { return count_; }
  QLabel* percentLabel() const { return percent_; }
  QLabel* pathLabel() const { return path_; }
  QPushButton* stopButton() const { return stop_; }

 signals:
  void cancelRequested();

 private:
  QProgressBar* bar_;
  QLabel* count_;
  QLabel* percent_;
  QLabel* path_;
  QPushButton* stop_;
};

class DiskItemRowView : public QWidget {
  Q_OBJECT
 public:
  explicit DiskItemRowView(const DiskItem& item, QWidget* parent = nullptr);
  QLabel* nameLabel() const { return name_; }
  QLabel* pathLabel() const { return path_; }
  QLabel* sizeLabel() const { return size_; }
  QPushButton* revealButton() const { return reveal_; }

 signals:
  void revealRequested(const QByteArray& path);

 private:
  QLabel* name_;
  QLabel* path_;
  QLabel* size_;
  QPushButton* reveal_;
};

class DiskItemListView : public QWidget {
  Q_OBJECT
 public:
  DiskItemListView(const QString& title, const std::vector<DiskItem>& items, QWidget* parent = nullptr);
  std::vector<DiskItemRowView*> rows() const { return rows_; }
  QLabel* emptyLabel() const { return empty_; }

 signals:
  void revealRequested(const QByteArray& path);

 private:
  std::vector<DiskItemRowView*> rows_;
  QLabel* empty_ = nullptr;
};

class DiskScanResultView : public QWidget {
  Q_OBJECT
 public:
  explicit DiskScanResultView(const DiskScanResult& result, QWidget* parent = nullptr);
  QLabel* summaryLabel() const { return summary_; }
  QLabel* skippedLabel() const { return skipped_; }
  QWidget* partialNotice() const { return partial_; }
  DiskItemListView* folderList() const { return folders_; }
  DiskItemListView* fileList() const { return files_; }
  QPushButton* rescanButton() const { return rescan_; }

 signals:
  void rescanRequested();
  void revealRequested(const QByteArray& path);

 private:
  QLabel* summary_;
  QLabel* skipped_;
  QWidget* partial_ = nullptr;
  DiskItemListView* folders_;
  DiskItemListView* files_;
  QPushButton* rescan_;
};

// The scan section, bound to the store's scan state.
class DiskScanSectionView : public DetailSectionView {
  Q_OBJECT
 public:
  // Whether the program may read every file; asked when the section first appears and each time
  // the application becomes active again.
  using AccessCheck = std::function<bool()>;
  using Reveal = std::function<void(const QByteArray& path)>;  // the file system's bytes

  DiskScanSectionView(Store& store, AccessCheck accessCheck = {}, QWidget* parent = nullptr);

  void setRevealHandler(Reveal reveal) { reveal_ = std::move(reveal); }
  // Says, next to `anchor` (the button the user pressed), that no file manager could be opened.
  void showRevealFailure(QWidget* anchor);
  void checkAccess();
  const std::optional<bool>& hasFullDiskAccess() const { return hasFullDiskAccess_; }

  // What is on show, for tests and the inspection view.
  DiskScanState::Case shownCase() const { return shown_; }
  QLabel* introLabel() const { return intro_; }
  QWidget* failureLine() const { return failure_; }
  QLabel* failureLabel() const { return failureText_; }
  QLabel* stoppedLabel() const { return stopped_; }
  QWidget* accessNotice() const { return notice_; }
  QPushButton* startButton() const { return start_; }
  DiskScanProgressView* progressView() const { return progress_; }
  DiskScanResultView* resultView() const { return result_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void apply(const DiskScanState& state);
  void updateNotice();
  void showPage(QWidget* page);

  Store& store_;
  AccessCheck accessCheck_;
  Reveal reveal_;
  std::optional<bool> hasFullDiskAccess_;
  bool checkedOnce_ = false;
  DiskScanState::Case shown_ = DiskScanState::Case::idle;
  QWidget* pages_;
  QWidget* startPage_;
  QLabel* intro_;
  QWidget* failure_;
  QLabel* failureText_;
  QLabel* stopped_;
  QWidget* notice_ = nullptr;
  QPushButton* start_;
  DiskScanProgressView* progress_;
  DiskScanResultView* result_ = nullptr;
  std::optional<DiskScanResult> resultShown_;
  ObservationToken token_;
};

// The whole page: header, capacity, "Detay" and the scan section.
class DiskPageView : public DetailScaffoldView {
  Q_OBJECT
 public:
  DiskPageView(Store& store, ArayuzDetailModel& detail, QWidget* parent = nullptr);
  ~DiskPageView() override;

  BigValueView* bigValue() const { return big_; }
  ProportionBarView* usageBar() const { return bar_; }
  QLabel* usageLabel() const { return usage_; }
  KeyValueRowView* detailRow(int index) const { return rows_[index]; }
  DiskScanSectionView* scanSection() const { return scan_; }
  DetailHeaderView* header() const { return header_; }

 protected:
  // The usage bar's verdict colour has a light and a dark shade.
  void changeEvent(QEvent* event) override;

 private:
  void reload();

  ArayuzDetailModel& detail_;
  DetailHeaderView* header_;
  BigValueView* big_;
  ProportionBarView* bar_;
  QLabel* usage_;
  KeyValueRowView* rows_[5];
  DiskScanSectionView* scan_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
