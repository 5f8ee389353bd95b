#pragma once
// The history chart of a detail page, painted from the model's segments, and the "Geçmiş"
// section around it: range picker, legend, value label and time labels. Hovering the chart
// shows the value and time under the pointer.
//
// The grid and the lines are drawn into a picture kept until the points, the range, the size or
// the palette change; any other paint (the pointer moving, a neighbour repainting) only copies it.

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "logic/observable.h"
#include "present/chart_data.h"
#include "ui/pages/detail_components.h"

class QComboBox;
class QLabel;

namespace kovra {
class ArayuzDetailModel;
}

namespace kovra::ui {

class HistoryChartView : public QWidget {
  Q_OBJECT
 public:
  using ValueText = std::function<QString(double)>;
  struct Line {
    std::string key;  // the series' raw name, the start of its segments' ids
    QString label;
  };

  explicit HistoryChartView(QWidget* parent = nullptr);
  void setLines(std::vector<Line> lines) { lines_ = std::move(lines); }
  void setValueText(ValueText text);
  void setChart(const std::vector<ArayuzSparkSegment>& segments, double yMax, Date end, double duration);
  bool isEmpty() const { return segments_.empty(); }
  QLabel* topLabel() const { return topLabel_; }
  QLabel* emptyLabel() const { return emptyLabel_; }
  // The text shown for a pointer at `pos` (widget coordinates); empty outside the data.
  QString hoverText(QPointF pos) const;
  // How many times the grid and lines were drawn (not merely copied) so far.
  int renderCount() const { return renderCount_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Hit {
    QPointF at;
    QColor colour;
    QString label;
    double value = 0;
  };
  QRectF plotFrame() const;
  std::vector<Hit> hitsAt(double x, Date* time) const;
  void placeLabels();
  void updateTopLabel();
  void render(QPainter& painter) const;
  void invalidateRendering();

  std::vector<ArayuzSparkSegment> segments_;
  std::vector<Line> lines_;
  double yMax_ = 1;
  Date end_;
  double duration_ = 600;
  ValueText valueText_;
  std::optional<QPointF> hover_;
  QLabel* topLabel_;
  QLabel* emptyLabel_;
  QPixmap rendered_;
  bool renderedValid_ = false;
  int renderCount_ = 0;
};

// The "Geçmiş" section bound to the detail model.
class HistorySectionView : public DetailSectionView {
  Q_OBJECT
 public:
  struct LineSpec {
    LineSpec(SeriesKind series, QString text, ArayuzPalette colourName)
        : key(rawValue(series)), label(std::move(text)), colour(colourName) {}
    LineSpec(std::string lineKey, QString text, ArayuzPalette colourName)
        : key(std::move(lineKey)), label(std::move(text)), colour(colourName) {}
    std::string key;  // the start of the line's segment ids
    QString label;
    ArayuzPalette colour;
  };
  HistorySectionView(ArayuzDetailModel& detail, std::vector<LineSpec> lines, HistoryChartView::ValueText valueText,
                     QWidget* parent = nullptr);

  HistoryChartView* chart() const { return chart_; }
  QComboBox* rangePicker() const { return picker_; }
  QLabel* rangeTitle() const { return pickerTitle_; }
  QLabel* timeLabel(int index) const { return times_[index]; }
  // Lines known only once read (one per part of the machine): a new legend.
  void setLines(const std::vector<LineSpec>& lines);
  // Re-reads the model (the value texts changed, for example the rate unit).
  void reload();

 private:
  void updateTimes();

  ArayuzDetailModel& detail_;
  HistoryChartView* chart_;
  QWidget* legend_;
  QComboBox* picker_;
  QLabel* pickerTitle_;
  QLabel* times_[3];
  std::vector<ObservationToken> tokens_;
};

}  // namespace kovra::ui
