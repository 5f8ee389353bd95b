#pragma once
// The battery: its level symbol, charge and status, with the power flow and cycle count in the
// tooltip. Hidden while there is no battery reading.

#include <QWidget>

#include <optional>

#include "core/records.h"
#include "logic/observable.h"
#include "ui/dashboard/card_size.h"

class QLabel;

namespace kovra {
class ArayuzDashboardModel;
}

namespace kovra::ui {

class BatteryStripView : public QWidget {
  Q_OBJECT

 public:
  BatteryStripView(ArayuzCardSize size, QWidget* parent = nullptr);
  // Fed with the dashboard model's battery reading.
  BatteryStripView(const ArayuzDashboardModel& model, ArayuzCardSize size, QWidget* parent = nullptr);

  void setBattery(const std::optional<BatterySnapshot>& battery);
  // The symbol now shown ("battery.75", "battery.100.bolt", …); empty without a reading.
  const std::string& symbolName() const { return symbolName_; }
  QLabel* chargeLabel() const { return charge_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* powerLabel() const { return power_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void updateSymbol();

  CardMetrics metrics_;
  std::optional<BatterySnapshot> battery_;
  bool initialised_ = false;
  std::string symbolName_;
  QLabel* symbol_;
  QLabel* charge_;
  QLabel* status_;
  QLabel* power_ = nullptr;
  ObservationToken token_;
};

}  // namespace kovra::ui
