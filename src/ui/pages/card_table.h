#pragma once
// Every card of the front end, declared once, in dashboard order (two to a row).

#include "ui/dashboard/card_row.h"

namespace kovra::ui {

CardRows cardTable();
const CardRow& cardRow(CardKind card);

}  // namespace kovra::ui
