// Pictures of the dashboard for looking at, written only when KOVRA_GALLERY_DIR names a folder:
//   KOVRA_GALLERY_DIR=/tmp/g kovra_ui_dashboard_tests --gtest_filter='*Gallery*'

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QPixmap>

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "dashboard_fixture.h"
#include "ui/common/look.h"
#include "ui/dashboard/card_view.h"
#include "ui/dashboard/dashboard_view.h"
#include "ui/dashboard/menu_panel_content.h"
#include "ui/pages/card_table.h"

namespace kovra::ui {
namespace {

class Gallery : public testing::DashboardFixture {
 protected:
  void SetUp() override {
    const char* dir = std::getenv("KOVRA_GALLERY_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "KOVRA_GALLERY_DIR not set";
    out = QString::fromLocal8Bit(dir);
    QDir().mkpath(out);
    // As the program looks where the desktop offers no style of its own.
    previousStyle_ = QApplication::style()->name();
    previousPalette_ = QApplication::palette();
    QApplication::setStyle(new KovraStyle);
  }

  void TearDown() override {
    if (previousStyle_.isEmpty()) return;
    QApplication::setStyle(QStyleFactory::create(previousStyle_));
    QApplication::setPalette(previousPalette_);
  }

  // A minute of readings, so the sparklines have something to draw.
  void feedMinute(std::optional<BatterySnapshot> battery) {
    for (int i = 0; i < 30; ++i) {
      const double wave = 0.5 + 0.3 * std::sin(i / 4.0);
      networkSampler->box.set(kovra::testing::networkAt(1'500'000 * wave + 200'000, 120'000 * (1 - wave) + 5'000));
      memorySampler->box.set(MemorySnapshot{16ull << 30, static_cast<uint64_t>((7ull << 30) * wave) + (2ull << 30),
                                            2ull << 30, 1ull << 29, 4ull << 30, MemoryPressure::normal, std::nullopt});
      cpuSampler->box.set(CPUSnapshot{0.2 + 0.5 * wave * wave, 0.3, 0.1, 8});
      diskSampler->box.set(DiskSnapshot{500'000'000'000, 61'000'000'000, "Ev"});
      processSampler->box.set(ProcessListSnapshot{
          {testing::cpuApp("Firefox ESR Tarayıcı Penceresi Uzun Ad", 0.31), testing::cpuApp("Derleyici", 0.12),
           testing::cpuApp("Sistem", 0.04, AppGroupKind::system)},
          0});
      batterySampler->box.set(battery);
      read();
      advance(2);
    }
    model->refresh();
  }

  void save(QWidget& w, const QString& name) {
    w.show();
    QApplication::processEvents();
    ASSERT_TRUE(w.grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png")));
  }

  QString out;
  QString previousStyle_;
  QPalette previousPalette_;
};

TEST_F(Gallery, DashboardAndPanel) {
  BatterySnapshot battery;
  battery.chargeFraction = 0.63;
  battery.batteryPowerWatts = -7.4;
  battery.timeRemainingMinutes = 185;
  battery.cycleCount = 412;

  QApplication::setPalette(kovraPalette(ColorScheme::light));
  {
    DashboardView empty(*store, *model, cardTable(), ArayuzCardSize::full);
    empty.resize(820, 760);
    save(empty, QStringLiteral("dashboard-empty"));
    MenuPanelContent panel(*store, *model, cardTable());
    panel.adjustSize();
    save(panel, QStringLiteral("panel-empty"));
  }
  feedMinute(battery);
  for (bool dark : {false, true}) {
    const QString suffix = dark ? QStringLiteral("-dark") : QString();
    QApplication::setPalette(kovraPalette(dark ? ColorScheme::dark : ColorScheme::light));
    DashboardView view(*store, *model, cardTable(), ArayuzCardSize::full);
    view.setAutoFillBackground(true);
    view.resize(820, 760);
    save(view, QStringLiteral("dashboard") + suffix);
    DashboardView narrow(*store, *model, cardTable(), ArayuzCardSize::full);
    narrow.setAutoFillBackground(true);
    narrow.resize(640, 760);
    save(narrow, QStringLiteral("dashboard-narrow") + suffix);
    MenuPanelContent panel(*store, *model, cardTable());
    panel.setAutoFillBackground(true);
    panel.adjustSize();
    save(panel, QStringLiteral("panel") + suffix);
  }
}

}  // namespace
}  // namespace kovra::ui
