#pragma once
// The memory bar with its legend for the memory page.

#include <optional>

#include "core/records.h"
#include "logic/observable.h"

class QWidget;

namespace kovra::ui {

// A bar that follows `memory` (which must outlive it).
QWidget* makeMemoryBar(const Observable<std::optional<MemorySnapshot>>& memory, QWidget* parent);

}  // namespace kovra::ui
