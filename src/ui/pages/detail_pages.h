#pragma once
// The four detail pages. A page's lifetime is its presence: it activates its card in the detail
// model when created and deactivates it (when still active) when destroyed; the network page
// also makes the store sample per-app traffic while it exists.

#include <QWidget>

#include "core/records.h"
#include "core/runtime.h"

namespace kovra {
class ArayuzDashboardModel;
class ArayuzDetailModel;
class Executor;
class Store;
}  // namespace kovra

namespace kovra::ui {

struct PageContext {
  Store& store;
  ArayuzDetailModel& detail;
  ArayuzDashboardModel& dashboard;
  Executor& executor;
  // Whether the network page changes what the store samples (never under the test runner,
  // unless a test asks for it).
  bool drivesSampling = !Runtime::isRunningTests();
};

QWidget* makeDetailPage(CardKind card, PageContext context, QWidget* parent = nullptr);

}  // namespace kovra::ui
