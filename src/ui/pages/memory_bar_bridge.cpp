#include "ui/pages/memory_bar_bridge.h"

#include "ui/dashboard/memory_bar_view.h"

namespace kovra::ui {

namespace {

// The dashboard's memory bar, with its legend, following an observable reading.
class ObservedMemoryBar final : public MemoryBarView {
 public:
  ObservedMemoryBar(const Observable<std::optional<MemorySnapshot>>& memory, QWidget* parent)
      : MemoryBarView(/*showsLegend=*/true, /*barHeight=*/10, parent) {
    hideTitle();
    token_ = memory.subscribe([this](const std::optional<MemorySnapshot>& m) { setMemory(m); });
    setMemory(memory.value());
  }

 private:
  ObservationToken token_;
};

}  // namespace

QWidget* makeMemoryBar(const Observable<std::optional<MemorySnapshot>>& memory, QWidget* parent) {
  return new ObservedMemoryBar(memory, parent);
}

}  // namespace kovra::ui
