#include "ui/pages/card_table.h"

#include <array>

#include "ui/dashboard/value_views.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/disk_page_view.h"
#include "ui/pages/sensors_page_view.h"

namespace kovra::ui {

namespace {

template <class View>
QWidget* valueArea(const ArayuzDashboardModel& model, const CardMetrics& metrics, QWidget* parent) {
  return new View(model, metrics, parent);
}

template <class View>
QWidget* page(const PageContext& context, QWidget* parent) {
  return new View(context, parent);
}

const std::array<CardRow, 5> kCards{{
    {CardKind::memory, &valueArea<MemoryValueView>, ArayuzSparkKind::memory, &page<MemoryDetailView>},
    {CardKind::network, &valueArea<NetworkValueView>, ArayuzSparkKind::network, &page<NetworkDetailView>},
    {CardKind::disk, &valueArea<DiskValueView>, std::nullopt,
     [](const PageContext& context, QWidget* parent) -> QWidget* {
       return new DiskPageView(context.store, context.detail, parent);
     }},
    {CardKind::cpu, &valueArea<CPUValueView>, ArayuzSparkKind::cpu, &page<CpuDetailView>},
    // Last: on a machine without sensors it is absent and leaves no gap.
    {CardKind::sensors, &valueArea<SensorsValueView>, ArayuzSparkKind::sensors, &page<SensorsDetailView>},
}};

}  // namespace

CardRows cardTable() { return kCards; }

const CardRow& cardRow(CardKind card) {
  for (const CardRow& row : kCards) {
    if (row.card == card) return row;
  }
  return kCards.front();
}

}  // namespace kovra::ui
