#pragma once
// What the front end knows of one card: how its value area and sparkline are built on the
// dashboard, and how its detail page is built. The rows themselves are listed once, in
// ui/pages/card_table.h; the dashboard grid and the page factory walk them.

#include <optional>
#include <span>

#include "core/records.h"
#include "core/runtime.h"
#include "present/dashboard_model.h"
#include "ui/dashboard/card_size.h"

class QWidget;

namespace kovra {
class ArayuzDetailModel;
class Executor;
}  // namespace kovra

namespace kovra::ui {

// What a detail page is built from.
struct PageContext {
  Store& store;
  ArayuzDetailModel& detail;
  ArayuzDashboardModel& dashboard;
  Executor& executor;
  // Whether a page changes what the store samples (never under the test runner, unless a test
  // asks for it).
  bool drivesSampling = !Runtime::isRunningTests();
};

struct CardRow {
  CardKind card;
  // The card's value area, between its title and its sparkline.
  QWidget* (*valueArea)(const ArayuzDashboardModel&, const CardMetrics&, QWidget* parent);
  // The sparkline of the last minute under the value area, if the card has one.
  std::optional<ArayuzSparkKind> spark;
  // The card's detail page.
  QWidget* (*page)(const PageContext&, QWidget* parent);
};

using CardRows = std::span<const CardRow>;

}  // namespace kovra::ui
