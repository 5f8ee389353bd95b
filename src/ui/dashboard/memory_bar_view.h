#pragma once
// Physical memory split into apps, system, cache and free: a bar of four slices end to end and,
// optionally, a legend with each slice's size and a line about the cache.

#include <QWidget>

#include <array>
#include <optional>

#include "core/records.h"
#include "present/palette.h"

class QGridLayout;
class QLabel;

namespace kovra::ui {

struct MemorySlice {
  QString label;
  ArayuzPalette colour = ArayuzPalette::memoryFree;
  uint64_t bytes = 0;
};

// Apps (app + compressed), system (wired), cache, free (what is left of the total, never below 0).
std::array<MemorySlice, 4> memorySlices(const MemorySnapshot& memory);

class MemoryBarStrip;

class MemoryBarView : public QWidget {
  Q_OBJECT

 public:
  MemoryBarView(bool showsLegend, int barHeight, QWidget* parent = nullptr);

  void setMemory(const std::optional<MemorySnapshot>& memory);
  QWidget* bar() const;
  // Inside a section that already names it, the legend goes without its own title.
  void hideTitle();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Two columns of two slices when they fit, else one slice per line.
  void arrangeLegend(bool twoColumns);
  int twoColumnWidth() const;

  bool showsLegend_;
  QLabel* title_ = nullptr;
  QGridLayout* legend_ = nullptr;
  std::array<std::array<QWidget*, 3>, 4> legendCells_{};
  std::optional<bool> twoColumns_;
  MemoryBarStrip* strip_ = nullptr;
  std::array<QLabel*, 4> values_{};
  std::optional<MemorySnapshot> memory_;
  bool initialised_ = false;
};

}  // namespace kovra::ui
