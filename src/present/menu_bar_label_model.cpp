#include "present/menu_bar_label_model.h"

#include "store/store.h"

namespace kovra {

ArayuzMenuBarLabelModel::ArayuzMenuBarLabelModel(const Store& store, Executor& executor,
                                                 const ArayuzTextMeasurer& measurer)
    : store_(store), executor_(executor), measurer_(measurer) {
  refresh();
  ratesToken_ = store_.displayRatesProperty().subscribe([this](const std::optional<NetworkRates>& rates) {
    if (rates && !showsRates_) refresh();
  });
  memoryToken_ = store_.memoryProperty().subscribe([this](const std::optional<MemorySnapshot>& memory) {
    if (memory && !showsMemory_) refresh();
  });
}

ArayuzMenuBarLabelModel::~ArayuzMenuBarLabelModel() {
  ratesToken_.cancel();
  memoryToken_.cancel();
  if (timer_) executor_.cancel(*timer_);
}

void ArayuzMenuBarLabelModel::start() {
  if (timer_) return;
  schedule();
}

void ArayuzMenuBarLabelModel::schedule() {
  std::weak_ptr<int> alive = alive_;
  timer_ = executor_.postAfter(kInterval, kTolerance, [this, alive] {
    if (alive.expired()) return;  // the model is gone
    schedule();
    refresh();
    if (onTick) onTick();
  });
}

namespace {

std::optional<double> processorCelsius(const std::optional<SensorsSnapshot>& sensors) {
  const SensorPartReading* processor = sensors ? sensors->processor() : nullptr;
  return processor ? processor->celsius : std::nullopt;
}

}  // namespace

ArayuzMenuBarContent ArayuzMenuBarLabelModel::makeContent() const {
  const auto& settings = store_.settings();
  return makeMenuBarContent({settings.menuBarShowsNetwork(), settings.menuBarShowsMemory(), settings.rateUnit(),
                             store_.displayRates(), store_.memory(), settings.menuBarShowsTemperature(),
                             processorCelsius(store_.sensors())});
}

ArayuzMenuBarLayout ArayuzMenuBarLabelModel::resolvedLayout(const ArayuzMenuBarContent& content) {
  cachedLayout_ = resolveMenuBarLayout(cachedLayout_, content, measurer_);
  return *cachedLayout_;
}

void ArayuzMenuBarLabelModel::refresh() {
  ArayuzMenuBarContent content = makeContent();
  showsRates_ = store_.displayRates().has_value();
  showsMemory_ = store_.memory().has_value();
  if (lastContent_ == content) return;
  lastContent_ = content;
  if (!content.down && !content.ram && !content.temperature) {
    rendered_.set(std::nullopt);
    return;
  }
  ArayuzMenuBarLayout layout = resolvedLayout(content);
  std::string text = accessibilityText(content);
  ArayuzMenuBarImage image = ArayuzMenuBarRenderer::image(measurer_, content, layout, text);
  rendered_.set(ArayuzMenuBarRendered{std::move(image), std::move(text)});
}

}  // namespace kovra
