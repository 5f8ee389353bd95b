#pragma once
// The list of apps by memory or by processor share: one row per app with its bar, expandable to
// its processes and the quit controls. Rows are kept per app identifier and updated in place.
// Inside a scroll area, a collapsed row out of the viewport only keeps its newest line (and, with
// a screen reader listening, its accessible name current); the labels and the bar take it when
// the row scrolls into view.

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "logic/observable.h"
#include "ui/pages/app_list_state.h"

class QGridLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace kovra {
class Store;
}

namespace kovra::ui {

class RowColumn;
class ViewportWatch;

class ProportionBarView;
class NoticeBoxView;

// The clickable top line of a row: chevron, icon, name, value and bar.
class AppRowButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit AppRowButton(QWidget* parent = nullptr);
  void setContent(const QIcon& icon, const QString& name, const QString& value, double fraction, bool expanded);
  // Keeps the line for later (the row is out of view).
  void setPendingContent(const QString& name, const QString& value, double fraction);
  // Shows the kept line, if any.
  void showPendingContent();
  bool hasPendingContent() const { return pending_.has_value(); }
  QLabel* nameLabel() const { return name_; }
  QLabel* valueLabel() const { return value_; }
  ProportionBarView* bar() const { return bar_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void drawChevron();
  QLabel* chevron_;
  QLabel* icon_;
  QLabel* name_;
  QLabel* value_;
  ProportionBarView* bar_;
  void setAccessibleLine(const QString& name, const QString& value);

  struct Line {
    QString name;
    QString value;
    double fraction = 0;
  };
  std::optional<Line> pending_;
  std::optional<bool> expanded_;
  bool hasIcon_ = false;
};

class AppRowView : public QWidget {
  Q_OBJECT
 public:
  AppRowView(ArayuzAppMetric metric, const std::string& id, QWidget* parent = nullptr);
  void setRow(const AppListRow& row, bool expanded, bool armed, const ArayuzTerminateNote* note);
  // Whether setRow has shown this row once.
  bool isBuilt() const { return built_; }

  const std::string& id() const { return id_; }
  AppRowButton* button() const { return button_; }
  QWidget* details() const { return details_; }
  QPushButton* quitButton() const { return quit_; }
  QPushButton* forceButton() const { return force_; }
  QLabel* cannotQuitLabel() const { return cannotQuit_; }
  NoticeBoxView* armedBox() const { return armedBox_; }
  QPushButton* armedCancelButton() const { return armedCancel_; }
  QPushButton* armedForceButton() const { return armedForce_; }
  QLabel* noteLabel() const { return noteText_; }
  // Process lines shown now (PID text, name, value) for tests and the inspection view.
  int processLineCount() const { return shownProcesses_; }
  QString processLineText(int index) const;

 signals:
  void toggleRequested(const std::string& id);
  void quitRequested(const std::string& id);
  void forceRequested(const std::string& id);
  void confirmForceRequested(const std::string& id);
  void cancelForceRequested(const std::string& id);

 private:
  void updateProcesses(const AppUsage& app);
  void updateArmed(bool armed, const QString& name);
  void updateNote(const ArayuzTerminateNote* note);

  ArayuzAppMetric metric_;
  std::string id_;
  AppRowButton* button_;
  QWidget* details_;
  QGridLayout* processGrid_;
  struct ProcessLine {
    QLabel* pid;
    QLabel* name;
    QLabel* value;
  };
  std::vector<ProcessLine> processLines_;
  int shownProcesses_ = 0;
  QWidget* buttons_;
  QPushButton* quit_;
  QPushButton* force_;
  QLabel* cannotQuit_;
  NoticeBoxView* armedBox_ = nullptr;
  QPushButton* armedCancel_ = nullptr;
  QPushButton* armedForce_ = nullptr;
  QString armedName_;
  QWidget* note_;
  QLabel* noteSymbol_;
  QLabel* noteText_;
  std::optional<bool> noteIsFailure_;
  bool built_ = false;
};

class AppListView : public QWidget {
  Q_OBJECT
 public:
  // `processes` (the detail model's copy of the process list) and `store` must outlive the view.
  AppListView(ArayuzAppMetric metric, Store& store, const Observable<std::optional<ProcessListSnapshot>>& processes,
              QWidget* parent = nullptr);
  ~AppListView() override;

  const AppListState& state() const { return state_; }
  // Rows in their current order.
  std::vector<AppRowView*> rows() const;
  AppRowView* row(const std::string& id) const;
  QLabel* headerLabel() const { return header_; }
  QLabel* emptyLabel() const { return empty_; }
  QLabel* footerLabel() const { return footer_; }
  // Collapsed rows whose newest line waits for them to scroll into view.
  int pendingRowCount() const;

  // The row actions (also what the row buttons do).
  void toggle(const std::string& id);
  void requestQuit(const std::string& id);
  void requestForce(const std::string& id);
  void confirmForce(const std::string& id);
  void cancelForce(const std::string& id);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void reload();
  // Rows that came into view show their newest line.
  void showRowsInView();
  // The answers of the quit and first force-quit dialogs.
  void answerQuit(bool accepted);
  void answerForce(bool accepted);
  std::optional<AppUsage> rowApp(const std::string& id) const;

  AppListState state_;
  Store& store_;
  const Observable<std::optional<ProcessListSnapshot>>& processes_;
  QLabel* header_;
  QLabel* empty_;
  QLabel* footer_;
  RowColumn* rowBox_;
  std::map<std::string, AppRowView*> rowsById_;
  std::vector<std::string> order_;
  ViewportWatch* viewport_;
  ObservationToken token_;
};

}  // namespace kovra::ui
