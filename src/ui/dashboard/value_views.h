#pragma once
// The value areas of the four cards. Each lays out the dashboard model's ready-made texts and
// keeps its labels, updating their texts in place when the model's properties change.

#include <QWidget>

#include <array>
#include <vector>

#include "logic/observable.h"
#include "ui/dashboard/card_size.h"

class QLabel;

namespace kovra {
class ArayuzDashboardModel;
struct ArayuzTopApp;
}  // namespace kovra

namespace kovra::ui {

class ElidingLabel;
class FillBarView;
class MemoryBarView;

class MemoryValueView : public QWidget {
  Q_OBJECT

 public:
  MemoryValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent = nullptr);
  MemoryBarView* bar() const { return bar_; }

 private:
  QLabel* used_;
  QLabel* total_;
  MemoryBarView* bar_;
  std::vector<ObservationToken> tokens_;
};

class NetworkValueView : public QWidget {
  Q_OBJECT

 public:
  NetworkValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void updateConnection();
  void updateArrows();

  const ArayuzDashboardModel& model_;
  CardMetrics metrics_;
  QLabel* downArrow_;
  QLabel* down_;
  QLabel* upArrow_;
  QLabel* up_;
  QLabel* connection_;
  QLabel* totals_;
  std::vector<ObservationToken> tokens_;
};

class DiskValueView : public QWidget {
  Q_OBJECT

 public:
  DiskValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent = nullptr);
  FillBarView* bar() const { return bar_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void updateFill();

  const ArayuzDashboardModel& model_;
  QLabel* free_;
  QLabel* total_;
  QLabel* percent_;
  FillBarView* bar_;
  std::vector<ObservationToken> tokens_;
};

class CPUValueView : public QWidget {
  Q_OBJECT

 public:
  CPUValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent = nullptr);

 private:
  struct Row {
    QWidget* row = nullptr;
    QLabel* icon = nullptr;
    ElidingLabel* name = nullptr;
    QLabel* percent = nullptr;
    std::string iconKey;
  };
  void setApps(const std::vector<ArayuzTopApp>& apps);

  CardMetrics metrics_;
  QLabel* usage_;
  QLabel* none_;
  std::array<Row, 3> rows_;
  std::vector<ObservationToken> tokens_;
};

// The hottest part (the one its verdict speaks of), its name, and the fastest fan.
class SensorsValueView : public QWidget {
  Q_OBJECT

 public:
  SensorsValueView(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent = nullptr);

 private:
  QLabel* figure_;
  QLabel* part_;
  QLabel* fan_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
