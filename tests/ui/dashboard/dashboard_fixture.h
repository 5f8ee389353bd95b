#pragma once
// A store fed by simulated samplers plus the dashboard model, with helpers to feed a full set of
// readings and to click widgets the way a pointer does.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <optional>
#include <string>

#include "present/dashboard_model.h"
#include "present/store_fixture.h"

namespace kovra::ui::testing {

inline AppUsage cpuApp(std::string name, double cpu, AppGroupKind kind = AppGroupKind::app) {
  AppUsage a;
  a.id = "id." + name;
  a.name = std::move(name);
  a.kind = kind;
  if (kind == AppGroupKind::app) a.bundlePath = "/usr/share/applications/" + a.name + ".desktop";
  a.cpuFraction = cpu;
  return a;
}

class DashboardFixture : public kovra::testing::StoreFixture {
 protected:
  DashboardFixture() { model = std::make_unique<ArayuzDashboardModel>(*store); }

  void feed(double memoryShare = 0.5, double cpu = 0.25, std::optional<BatterySnapshot> battery = std::nullopt) {
    const uint64_t total = 16ull << 30;
    const auto app = static_cast<uint64_t>(static_cast<double>(total) * memoryShare * 0.7);
    const auto wired = static_cast<uint64_t>(static_cast<double>(total) * memoryShare * 0.3);
    memorySampler->box.set(
        MemorySnapshot{total, app, wired, 0, 3ull << 30, MemoryPressure::normal, SwapUsage{2ull << 30, 1ull << 29}});
    cpuSampler->box.set(CPUSnapshot{cpu, cpu * 0.7, cpu * 0.3, 8});
    networkSampler->box.set(kovra::testing::networkAt(2'400'000, 310'000));
    diskSampler->box.set(DiskSnapshot{500'000'000'000, 125'000'000'000, "Ev"});
    processSampler->box.set(ProcessListSnapshot{
        {cpuApp("Firefox ESR Tarayıcı Penceresi", cpu * 0.5), cpuApp("Derleyici", cpu * 0.3),
         cpuApp("Sistem", cpu * 0.1, AppGroupKind::system)},
        0});
    batterySampler->box.set(battery);
    read();
    model->refresh();
  }

  std::unique_ptr<ArayuzDashboardModel> model;
};

// Press and release the left button in the middle of `w`.
inline void click(QWidget* w) {
  const QPointF centre = QRectF(w->rect()).center();
  const QPointF global = w->mapToGlobal(centre);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

}  // namespace kovra::ui::testing
