#pragma once
// What the menu panel shows: the headline band, the compact cards, the battery strip, a divider and
// the buttons to open the window, open the settings and quit. 420 wide; the shell wraps it in the popup.

#include <QWidget>

#include "core/records.h"
#include "ui/dashboard/card_row.h"

class QPushButton;

namespace kovra {
class ArayuzDashboardModel;
class Store;
}  // namespace kovra

namespace kovra::ui {

class BatteryStripView;
class CardGridView;
class StoreHeadlineBandView;

class MenuPanelContent : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 420;

  MenuPanelContent(Store& store, ArayuzDashboardModel& model, CardRows cards, QWidget* parent = nullptr);

  StoreHeadlineBandView* headline() const { return headline_; }
  CardGridView* cards() const { return grid_; }
  BatteryStripView* batteryStrip() const { return battery_; }
  QPushButton* openWindowButton() const { return openWindow_; }
  QPushButton* settingsButton() const { return settings_; }
  QPushButton* quitButton() const { return quit_; }

 signals:
  void cardSelected(kovra::CardKind card);
  void openWindowRequested();
  void settingsRequested();
  void quitRequested();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void updateIcons();

  StoreHeadlineBandView* headline_;
  CardGridView* grid_;
  BatteryStripView* battery_;
  QPushButton* openWindow_;
  QPushButton* settings_;
  QPushButton* quit_;
};

}  // namespace kovra::ui
