#include "ui/pages/row_column.h"

#include <QEvent>

namespace kovra::ui {

RowColumn::RowColumn(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void RowColumn::setRows(const std::vector<QWidget*>& rows) {
  if (rows == rows_) return;
  rows_ = rows;
  for (QWidget* row : rows_) {
    if (!row->isVisibleTo(this)) row->show();
  }
  place();
}

int RowColumn::rowHeight(QWidget* row, int width) const {
  return row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
}

int RowColumn::heightForWidth(int width) const {
  int h = 0;
  for (QWidget* row : rows_) h += rowHeight(row, width);
  return h;
}

QSize RowColumn::sizeHint() const {
  int w = 0;
  for (QWidget* row : rows_) w = std::max(w, row->sizeHint().width());
  return {w, heightForWidth(width() > 0 ? width() : w)};
}

QSize RowColumn::minimumSizeHint() const { return {0, 0}; }

void RowColumn::place() {
  int y = 0;
  const int w = width();
  for (QWidget* row : rows_) {
    const int h = rowHeight(row, w);
    const QRect r(0, y, w, h);
    if (row->geometry() != r) row->setGeometry(r);
    y += h;
  }
  if (y != placedHeight_) {
    placedHeight_ = y;
    updateGeometry();  // our own height changed: the page lays out again
  }
}

bool RowColumn::event(QEvent* event) {
  // A row's size hint changed (expanded, collapsed, a note appeared).
  if (event->type() == QEvent::LayoutRequest) place();
  return QWidget::event(event);
}

void RowColumn::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();
}

}  // namespace kovra::ui
