#pragma once
// The temperature page: the part in trouble (or the hottest) at the top, one line per part on
// the history chart, every part and fan with its limit under "Detay", and the kernel's own sensor
// names folded away for those who want them.

#include <vector>

#include "logic/observable.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/detail_pages.h"

class QToolButton;
class QVBoxLayout;

namespace kovra::ui {

class HistorySectionView;

class SensorsDetailView : public DetailScaffoldView {
  Q_OBJECT
 public:
  SensorsDetailView(const PageContext& context, QWidget* parent = nullptr);
  ~SensorsDetailView() override;
  DetailHeaderView* header() const { return header_; }
  BigValueView* bigValue() const { return big_; }
  HistorySectionView* history() const { return history_; }
  const std::vector<KeyValueRowView*>& partRows() const { return partRows_; }
  const std::vector<KeyValueRowView*>& fanRows() const { return fanRows_; }
  QToolButton* rawToggle() const { return rawToggle_; }
  QLabel* rawList() const { return raw_; }

 private:
  void reload();
  void reloadLines();

  ArayuzDetailModel& detail_;
  DetailHeaderView* header_;
  BigValueView* big_;
  HistorySectionView* history_;
  QVBoxLayout* rows_;
  std::vector<KeyValueRowView*> partRows_;
  std::vector<KeyValueRowView*> fanRows_;
  QWidget* fanDivider_ = nullptr;
  QToolButton* rawToggle_;
  QLabel* raw_;
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
