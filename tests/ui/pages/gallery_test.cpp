// Renders every page with live-like readings to PNG files for inspection; runs only when
// KOVRA_GALLERY_DIR names a folder.

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStyle>
#include <QStyleFactory>

#include <cmath>

#include "page_fixture.h"
#include "ui/pages/app_list_view.h"
#include "ui/common/look.h"
#include "ui/pages/confirmation.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/disk_page_view.h"
#include "ui/pages/history_chart_view.h"
#include "ui/pages/sensors_page_view.h"

#include <QToolButton>

namespace kovra::ui::testing {
namespace {

class Gallery : public PageFixture {
 protected:
  void pages();
  QString suffix;

  void SetUp() override {
    const char* dir = std::getenv("KOVRA_GALLERY_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "KOVRA_GALLERY_DIR not set";
    out = QDir(QString::fromLocal8Bit(dir));
    QDir().mkpath(out.path());
    // As the program looks where the desktop offers no style of its own.
    previousStyle_ = QApplication::style()->name();
    previousPalette_ = QApplication::palette();
    QApplication::setStyle(new KovraStyle);
    ProcessListSnapshot list;
    const char* names[] = {"Firefox", "Visual Studio Code", "Slack", "Spotify", "Thunderbird", "GIMP", "Terminal",
                           "LibreOffice Writer", "Dosyalar", "Discord"};
    for (int i = 0; i < 10; ++i) {
      list.apps.push_back(makeApp("app" + std::to_string(i), names[i], static_cast<uint64_t>(2.4e9 / (i + 1)),
                                  0.31 / (i + 1), true, 2 + i % 4));
      for (auto& p : list.apps.back().processes) p.pid += 100 * (i + 1);  // pids unique across apps
    }
    list.apps.push_back(makeApp("system", "Sistem ve arka plan", 900'000'000, 0.04, false, 5));
    list.unreadableCount = 37;
    setProcesses(list);
    MemorySnapshot m{16ull << 30, 7ull << 30, 2ull << 30, 1ull << 29, 4ull << 30, MemoryPressure::normal,
                     SwapUsage{4ull << 30, 300ull << 20}};
    memorySampler->box.set(m);
    diskSampler->box.set(DiskSnapshot{994'662'584'320ull, 412'000'000'000ull, std::string("Ev")});
    for (int i = 0; i < 300; ++i) {
      const double t = i / 20.0;
      cpuSampler->box.set(CPUSnapshot{0.25 + 0.2 * std::sin(t), 0.17 + 0.1 * std::sin(t), 0.08, 8});
      NetworkSnapshot n = fakeNetworkSnapshot();
      n.downloadBytesPerSecond = 1.8e6 + 1.2e6 * std::sin(t * 1.3);
      n.uploadBytesPerSecond = 2.1e5 + 1.5e5 * std::cos(t);
      n.totalDownloadedBytes = static_cast<uint64_t>(3.2e9 + i * 2e6);
      n.totalUploadedBytes = static_cast<uint64_t>(4.1e8 + i * 2e5);
      n.interfaceName = "wlp3s0";
      networkSampler->box.set(n);
      sensorsSampler->box.set(std::optional<SensorsSnapshot>(sensors(i)));
      if (i == 120) advance(40);  // a pause in sampling leaves a gap
      advance(2);
      read();
    }
  }

  // A desktop whose processor climbs to its warning mark under a long build.
  static SensorsSnapshot sensors(int i) {
    auto part = [](SensorPart kind, double celsius, double limit, const char* device, const char* model,
                   const char* sensor) {
      SensorPartReading p;
      p.part = kind;
      p.celsius = celsius;
      p.limitCelsius = limit;
      if (device) p.device = device;
      if (model) p.model = model;
      p.sensor = sensor;
      return p;
    };
    const double t = i / 20.0;
    const double cpu = std::min(88.0, 52 + i * 0.14 + 3 * std::sin(t * 2));
    SensorsSnapshot s;
    s.parts = {part(SensorPart::processor, cpu, 95, nullptr, nullptr, "k10temp Tctl"),
               part(SensorPart::graphics, 58 + 4 * std::sin(t), 110, "0000:03:00.0", nullptr, "amdgpu junction"),
               part(SensorPart::drive, 44 + i * 0.02, 85, "nvme0", "Samsung SSD 980 PRO 1TB", "nvme Composite"),
               part(SensorPart::drive, 38, 80, "nvme1", "WD Blue SN570 1TB", "nvme Composite"),
               part(SensorPart::other, 41, 80, nullptr, nullptr, "nct6798 SYSTIN")};
    s.fans = {FanReading{SensorPart::graphics, std::string("0000:03:00.0"), "fan1", 1180},
              FanReading{SensorPart::other, std::nullopt, "CPU_FAN", 1400 + cpu * 10},
              FanReading{SensorPart::other, std::nullopt, "SYS_FAN1", 0}};
    for (const auto& p : s.parts) s.sensors.push_back(RawSensorReading{*p.sensor, p.part, false, p.celsius});
    s.sensors.push_back(RawSensorReading{"nct6798 fan2", SensorPart::other, true, 1400 + cpu * 10});
    return s;
  }

  void save(QWidget* page, const QString& name, int width = 820) {
    auto* scroll = qobject_cast<QScrollArea*>(page);
    page->resize(width, 760);
    page->show();
    QApplication::processEvents();
    QWidget* canvas = scroll ? scroll->widget() : page;
    canvas->resize(width, canvas->heightForWidth(width) > 0 ? canvas->heightForWidth(width)
                                                            : canvas->sizeHint().height());
    QApplication::processEvents();
    canvas->adjustSize();
    canvas->resize(width, canvas->height());
    QApplication::processEvents();
    ASSERT_TRUE(canvas->grab().save(out.filePath(name + ".png")));
  }

  void TearDown() override {
    if (previousStyle_.isEmpty()) return;
    QApplication::setStyle(QStyleFactory::create(previousStyle_));
    QApplication::setPalette(previousPalette_);
  }

  QDir out;
  QString previousStyle_;
  QPalette previousPalette_;
};

// One test per colour scheme: each starts from a fresh store (the scan states are one-way).
TEST_F(Gallery, Pages) {
  QApplication::setPalette(kovraPalette(ColorScheme::light));
  pages();
}

TEST_F(Gallery, PagesDark) {
  QApplication::setPalette(kovraPalette(ColorScheme::dark));
  suffix = "-dark";
  pages();
}

void Gallery::pages() {
  {
    CpuDetailView page(context());
    save(&page, "cpu" + suffix);
    // The pointer over the chart shows the value and time under it.
    auto* chart = page.history()->chart();
    const QPointF at(chart->width() * 0.7, chart->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    ASSERT_TRUE(chart->grab().save(out.filePath("cpu-chart-hover" + suffix + ".png")));
  }
  {
    SensorsDetailView page(context());
    page.rawToggle()->click();
    save(&page, "sensors" + suffix);
  }
  {
    MemoryDetailView page(context());
    auto previous = setConfirmHandler([](const ConfirmRequest&, QWidget*, ConfirmDone done) { done(true); });
    page.appList()->toggle("app3");
    page.appList()->requestQuit("app3");
    page.appList()->toggle("app1");
    page.appList()->requestForce("app1");
    setConfirmHandler(previous);
    save(&page, "memory" + suffix);
  }
  {
    NetworkDetailView page(context(true));
    for (int i = 0; i < 3; ++i) {
      ProcessNetworkSnapshot traffic;
      traffic.entries.push_back({1100, "firefox", 2.1e6, 4e4, static_cast<uint64_t>(8e6 * (i + 1)),
                                 static_cast<uint64_t>(4e5 * (i + 1))});
      traffic.entries.push_back({1300, "slack", 1.2e5, 9e3, static_cast<uint64_t>(1e6 * (i + 1)),
                                 static_cast<uint64_t>(2e5 * (i + 1))});
      processNetworkSampler->box.set(traffic);
      tick();
    }
    save(&page, "network" + suffix);
  }
  {
    DiskPageView page(*store, *detail);
    save(&page, "disk-idle" + suffix);
    scanner->progress.currentPath = QDir::homePath().toStdString() + "/.cache/mozilla/firefox/profile/cache2/entries";
    store->startDiskScan();
    waitFor([&] { return store->diskScan().progress.scannedFileCount > 0; });
    save(&page, "disk-scanning" + suffix);
    DiskScanResult result;
    for (int i = 0; i < 10; ++i) {
      result.largestFolders.push_back({QDir::homePath().toStdString() + "/Projeler/klasör-" + std::to_string(i),
                                       static_cast<uint64_t>(4.2e10 / (i + 1)), true});
    }
    for (int i = 0; i < 20; ++i) {
      result.largestFiles.push_back({QDir::homePath().toStdString() + "/İndirilenler/dosya-" + std::to_string(i) +
                                         (i % 2 ? ".iso" : ".mkv"),
                                     static_cast<uint64_t>(8.4e9 / (i + 1)), false});
    }
    result.scannedFileCount = 482'113;
    result.scannedBytes = 311'000'000'000ull;
    result.skippedCount = 12;
    result.hadFullDiskAccess = true;
    scanner->answer = result;
    scanner->release();
    waitFor([&] { return store->diskScan().kind == DiskScanState::Case::finished; });
    save(&page, "disk-finished" + suffix);
    scanner->answer = Failure{ScanError::failed("disk taraması: kök klasör okunamadı (errno 2)")};
    store->startDiskScan();
    waitFor([&] { return store->diskScan().kind == DiskScanState::Case::failed; });
    save(&page, "disk-failed" + suffix);
  }
  for (bool destructive : {false, true}) {
    const ConfirmRequest request{
        QString::fromUtf8(destructive ? "“Firefox” zorla kapatılsın mı?" : "“Firefox” kapatılsın mı?"),
        QString::fromUtf8(destructive ? "Zorla kapatılan uygulama kaydetmeni beklemez; kaydedilmemiş değişiklikler "
                                        "kaybolur. Bir sonraki adımda son kez onaylayacaksın."
                                      : "Uygulama kaydedilmemiş işler için sana sorabilir."),
        QString::fromUtf8(destructive ? "Devam et" : "Kapat"), QString::fromUtf8("Vazgeç"), destructive};
    std::unique_ptr<QWidget> dialog(makeConfirmationPreview(request));
    dialog->show();
    QApplication::processEvents();
    ASSERT_TRUE(dialog->grab().save(out.filePath((destructive ? "confirm-force" : "confirm-quit") + suffix + ".png")));
  }
}

}  // namespace
}  // namespace kovra::ui::testing
