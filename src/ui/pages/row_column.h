#pragma once
// A column of rows placed by hand, top to bottom, full width. Re-ordering rows moves the
// existing widgets: no layout items are torn down and rebuilt, which keeps a re-sorted list of
// a hundred rows cheap to refresh.

#include <QWidget>

#include <vector>

namespace kovra::ui {

class RowColumn : public QWidget {
  Q_OBJECT
 public:
  explicit RowColumn(QWidget* parent = nullptr);
  // Shows exactly `rows` (children of this widget), in this order.
  void setRows(const std::vector<QWidget*>& rows);
  const std::vector<QWidget*>& rows() const { return rows_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int rowHeight(QWidget* row, int width) const;
  void place();

  std::vector<QWidget*> rows_;
  int placedHeight_ = -1;
};

}  // namespace kovra::ui
