#pragma once
// The last minute of a reading as a thin line (one or more series, broken where sampling paused).

#include <QWidget>

#include <vector>

#include "present/chart_data.h"

namespace kovra::ui {

class SparklineView : public QWidget {
  Q_OBJECT

 public:
  explicit SparklineView(int height, QWidget* parent = nullptr);

  void setSegments(const std::vector<ArayuzSparkSegment>& segments);
  const std::vector<ArayuzSparkSegment>& segments() const { return segments_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<ArayuzSparkSegment> segments_;
};

}  // namespace kovra::ui
