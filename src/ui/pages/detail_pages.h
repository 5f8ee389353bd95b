#pragma once
// The four detail pages. A page's lifetime is its presence: it activates its card in the detail
// model when created and deactivates it (when still active) when destroyed; the network page
// also makes the store sample per-app traffic while it exists.

#include <QWidget>

#include "core/records.h"
#include "ui/dashboard/card_row.h"

namespace kovra::ui {

// The page of `card`, from its row in the card table.
QWidget* makeDetailPage(CardKind card, PageContext context, QWidget* parent = nullptr);

}  // namespace kovra::ui
