#include <QComboBox>
#include <QScrollBar>

#include <cstdlib>

#include "page_fixture.h"
#include "present/overrides.h"
#include "ui/pages/app_network_list_view.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/history_chart_view.h"

namespace kovra::ui::testing {
namespace {

class PagesTest : public PageFixture {};

TEST_F(PagesTest, EveryPageActivatesItsCardAndEndsWithTheBottomMarker) {
  for (CardKind card : kAllCardKinds) {
    std::unique_ptr<QWidget> page(makeDetailPage(card, context()));
    ASSERT_TRUE(page);
    EXPECT_EQ(detail->activeDetail(), card);
    auto* marker = page->findChild<QWidget*>(qs(ArayuzOpenOverride::kBottomAnchor));
    ASSERT_NE(marker, nullptr) << rawValue(card);
    EXPECT_EQ(marker->height(), 1);
    page.reset();
    EXPECT_FALSE(detail->activeDetail().has_value());
  }
}

TEST_F(PagesTest, ScrollOverrideBringsTheBottomMarkerIntoView) {
  ::setenv("KOVRA_SCROLL", "bottom", 1);
  if (!ArayuzOpenOverride::scrollsToBottom()) GTEST_SKIP() << "the override was read before this test set it";
  setProcesses(ProcessListSnapshot{{makeApp("editor", "Metin", 900'000'000, 0.1)}, 0});
  tick();
  MemoryDetailView page(context());
  page.resize(700, 300);
  page.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_GT(page.verticalScrollBar()->value(), 0);
  EXPECT_EQ(page.verticalScrollBar()->value(), page.verticalScrollBar()->maximum());
}

TEST_F(PagesTest, LeavingAPageKeepsAnotherCardActive) {
  auto memory = std::make_unique<MemoryDetailView>(context());
  CpuDetailView cpu(context());
  memory.reset();  // the memory page goes after the CPU page became active
  EXPECT_EQ(detail->activeDetail(), CardKind::cpu);
}

TEST_F(PagesTest, CpuPageClampsTheIdleShareAndFormatsPercentages) {
  cpuSampler->box.set(CPUSnapshot{1.25, 0.9, 0.35, 8});
  tick();
  CpuDetailView page(context());
  EXPECT_EQ(page.bigValue()->primaryLabel()->text(), QString::fromUtf8("%125"));
  EXPECT_EQ(page.detailRow(0)->value(), QString::fromUtf8("%90"));
  EXPECT_EQ(page.detailRow(2)->value(), QString::fromUtf8("%0"));
  EXPECT_EQ(page.detailRow(3)->value(), QString::fromUtf8("8"));
  EXPECT_EQ(page.bigValue()->secondaryLabel()->text(), QString::fromUtf8("kullanımda"));
}

TEST_F(PagesTest, MemoryPageShowsSizesPressureSwapAndTheLinuxNote) {
  MemorySnapshot m;
  m.totalBytes = 16ull << 30;
  m.appBytes = 6ull << 30;
  m.wiredBytes = 2ull << 30;
  m.compressedBytes = 1ull << 30;
  m.cachedBytes = 4ull << 30;
  m.pressure = MemoryPressure::warning;
  memorySampler->box.set(m);
  tick();
  MemoryDetailView page(context());
  EXPECT_EQ(page.bigValue()->primaryLabel()->text(), qs(Format::memoryText(9.0 * (1ull << 30))));
  EXPECT_EQ(page.bigValue()->secondaryLabel()->text(),
            QString::fromUtf8("kullanılıyor / ") + qs(Format::memoryText(16.0 * (1ull << 30))));
  EXPECT_EQ(page.detailRow(6)->value(), QString::fromUtf8("Uyarı"));
  EXPECT_EQ(page.detailRow(7)->value(), QString::fromUtf8("—"));
  EXPECT_TRUE(page.noteLabel()->text().contains(QString::fromUtf8("Linux'un bildirdiği bellek baskısına")));
}

TEST_F(PagesTest, RangePickerIsLabelledAndDrivesTheModel) {
  MemoryDetailView page(context());
  auto* history = page.history();
  EXPECT_EQ(history->rangeTitle()->text(), QString::fromUtf8("Aralık"));
  EXPECT_EQ(history->rangeTitle()->buddy(), history->rangePicker());
  EXPECT_EQ(history->rangePicker()->currentText(), QString::fromUtf8("10 dk"));
  EXPECT_EQ(history->titleLabel()->text(), QString::fromUtf8("Geçmiş"));
  EXPECT_EQ(history->chart()->accessibleName(), QString::fromUtf8("Geçmiş grafiği"));
  history->rangePicker()->setCurrentIndex(2);
  Q_EMIT history->rangePicker()->activated(2);
  EXPECT_EQ(detail->historyRange().value(), ArayuzChartRange::oneHour);
  EXPECT_TRUE(history->chart()->isEmpty());
  EXPECT_TRUE(shownIn(history->chart()->emptyLabel(), history));
  EXPECT_EQ(history->chart()->emptyLabel()->text(), QString::fromUtf8("Bu aralık için henüz veri yok."));
}

TEST_F(PagesTest, ChartHoverNamesTheValueAndTimeUnderThePointer) {
  memorySampler->box.set(fakeMemorySnapshot());
  for (int i = 0; i < 30; ++i) tick();
  MemoryDetailView page(context());
  page.resize(760, 1400);
  page.show();
  QApplication::processEvents();
  auto* chart = page.history()->chart();
  ASSERT_FALSE(chart->isEmpty());
  EXPECT_EQ(chart->topLabel()->text(), QString::fromUtf8("%100"));
  const QString text = chart->hoverText(QPointF(chart->width() - 1, 50));
  EXPECT_TRUE(text.contains(QString::fromUtf8("Kullanılan: %"))) << text.toStdString();
  EXPECT_TRUE(chart->hoverText(QPointF(2, 50)).isEmpty()) << "no data at the left edge of ten minutes";
}

// Opening the network page, leaving it and opening it again starts the per-app totals afresh.
TEST_F(PagesTest, NetworkPageCountsPerAppTotalsOnlyWhileOpen) {
  ProcessNetworkSnapshot traffic{{ProcessNetworkEntry{1000, "Metin-0", 1000, 100, 5'000'000, 600'000}}};
  setProcesses(ProcessListSnapshot{{makeApp("editor", "Metin", 900'000'000, 0.1)}, 0});
  processNetworkSampler->box.set(traffic);
  networkSampler->box.set(fakeNetworkSnapshot());
  auto page = std::make_unique<NetworkDetailView>(context(/*drivesSampling=*/true));
  EXPECT_TRUE(store->isVisible(Surface::networkDetail));
  AppNetworkListView* list = page->appList();
  EXPECT_TRUE(shownIn(list->measuringView(), list)) << "no rows yet: measuring";

  tick();
  traffic.entries[0].totalDownloadedBytes = 9'000'000;
  processNetworkSampler->box.set(traffic);
  tick();
  ASSERT_EQ(list->rows().size(), 1u);
  const QString before = list->rows()[0]->totalsLabel()->text();
  EXPECT_NE(before, QString::fromUtf8("Toplam ↓ 0 MB · ↑ 0 MB"));
  EXPECT_TRUE(list->rows()[0]->accessibleName().startsWith(QString::fromUtf8("Metin, indirme ")));

  page.reset();
  EXPECT_FALSE(store->isVisible(Surface::networkDetail));
  EXPECT_FALSE(store->appNetwork().has_value()) << "leaving clears the totals";

  page = std::make_unique<NetworkDetailView>(context(true));
  list = page->appList();
  EXPECT_TRUE(shownIn(list->measuringView(), list)) << "nothing left over from the last visit";
  EXPECT_TRUE(list->rows().empty());
  // A fresh run of the traffic sampler counts from zero again.
  traffic.entries[0].totalDownloadedBytes = 2'000'000;
  traffic.entries[0].totalUploadedBytes = 0;
  processNetworkSampler->box.set(traffic);
  tick();
  ASSERT_EQ(list->rows().size(), 1u);
  EXPECT_EQ(list->rows()[0]->totalsLabel()->text(), QString::fromUtf8("Toplam ↓ ") + qs(Format::storageText(2e6)) +
                                                        QString::fromUtf8(" · ↑ ") + qs(Format::storageText(0)));
}

TEST_F(PagesTest, NetworkPageUnderTestsLeavesSamplingAlone) {
  NetworkDetailView page(PageContext{*store, *detail, *dashboard, executor});
  EXPECT_FALSE(store->isVisible(Surface::networkDetail));
  EXPECT_EQ(page.detailRow(0)->value(), QString::fromUtf8("—"));
}

TEST_F(PagesTest, EmptyNetworkListSaysSo) {
  processNetworkSampler->box.set(ProcessNetworkSnapshot{});
  setProcesses(ProcessListSnapshot{{makeApp("editor", "Metin", 900'000'000, 0.1)}, 0});
  NetworkDetailView page(context(true));
  tick();
  tick();
  EXPECT_TRUE(shownIn(page.appList()->emptyLabel(), page.appList()));
  EXPECT_EQ(page.appList()->emptyLabel()->text(), QString::fromUtf8("Şu an ağ kullanan uygulama yok."));
}

}  // namespace
}  // namespace kovra::ui::testing
