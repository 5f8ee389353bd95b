// What the pages skip on a refresh must never show: rows out of view catch up when they scroll
// in, the chart draws again exactly when its content changes, and figures keep their size.

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "page_fixture.h"
#include "ui/pages/app_list_view.h"
#include "ui/pages/app_network_list_view.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/history_chart_view.h"

namespace kovra::ui::testing {
namespace {

constexpr int kApps = 40;

// `kApps` apps sorted by memory, the first the largest; `round` changes every size a little but
// keeps the order.
ProcessListSnapshot manyApps(int round) {
  ProcessListSnapshot s;
  for (int a = 0; a < kApps; ++a) {
    const uint64_t bytes = (static_cast<uint64_t>(kApps - a) * 10 + static_cast<uint64_t>(round) * 2) << 20;
    s.apps.push_back(makeApp("app" + std::to_string(a), "Uygulama " + std::to_string(a), bytes, 0.01));
  }
  return s;
}

QString valueOf(AppListView* list, const std::string& id) { return list->row(id)->button()->valueLabel()->text(); }

QString expectedValue(int app, int round) {
  const ProcessListSnapshot snapshot = manyApps(round);
  const AppUsage& a = snapshot.apps[static_cast<size_t>(app)];
  return qs(appValueText(ArayuzAppMetric::memory, a.footprintBytes, a.cpuFraction));
}

class RowsInViewTest : public PageFixture {
 protected:
  void SetUp() override {
    setProcesses(manyApps(0));
    tick();
    page = std::make_unique<MemoryDetailView>(context());
    page->resize(820, 500);
    page->show();
    QApplication::processEvents();
    list = page->appList();
    scrollTo(0);  // whatever the bottom-scroll override says
  }
  void TearDown() override { page.reset(); }
  void nextRound(int round) {
    setProcesses(manyApps(round));
    tick();
    QApplication::processEvents();
  }
  bool inView(const std::string& id) const {
    const QWidget* row = list->row(id);
    const QRect onViewport(row->mapTo(page->viewport(), QPoint(0, 0)), row->size());
    return onViewport.intersects(page->viewport()->rect());
  }
  void scrollTo(int value) {
    page->verticalScrollBar()->setValue(value);
    QApplication::processEvents();
  }
  void scrollToRow(const std::string& id) {
    page->ensureWidgetVisible(list->row(id));
    QApplication::processEvents();
  }

  std::unique_ptr<MemoryDetailView> page;
  AppListView* list = nullptr;
};

TEST_F(RowsInViewTest, RowsOutOfViewWaitAndShowCurrentFiguresWhenScrolledIn) {
  const std::string last = "app" + std::to_string(kApps - 1);
  ASSERT_FALSE(inView(last));
  EXPECT_EQ(valueOf(list, last), expectedValue(kApps - 1, 0)) << "every row is filled once";

  nextRound(1);
  EXPECT_GT(list->pendingRowCount(), 0);
  EXPECT_LT(list->pendingRowCount(), kApps);
  for (int a = 0; a < kApps; ++a) {
    const std::string id = "app" + std::to_string(a);
    if (inView(id)) {
      EXPECT_EQ(valueOf(list, id), expectedValue(a, 1)) << id;
    }
  }
  EXPECT_EQ(valueOf(list, last), expectedValue(kApps - 1, 0)) << "out of view: not touched yet";

  nextRound(2);
  scrollToRow(last);
  ASSERT_TRUE(inView(last));
  EXPECT_EQ(valueOf(list, last), expectedValue(kApps - 1, 2));
  EXPECT_EQ(list->row(last)->button()->accessibleName(), qs("Uygulama 39, ") + expectedValue(kApps - 1, 2));
  for (int a = 0; a < kApps; ++a) {
    const std::string id = "app" + std::to_string(a);
    if (inView(id)) {
      EXPECT_EQ(valueOf(list, id), expectedValue(a, 2)) << id;
      EXPECT_FALSE(list->row(id)->button()->hasPendingContent()) << id;
    }
  }

  // Back to the top: the rows that were waiting there show the newest round too.
  scrollTo(0);
  EXPECT_EQ(valueOf(list, "app0"), expectedValue(0, 2));
  EXPECT_EQ(valueOf(list, "app1"), expectedValue(1, 2));
}

TEST_F(RowsInViewTest, ExpandedRowsOutOfViewStayCurrentAndCollapsingPullsFreshRowsUp) {
  // app2 expanded, then scrolled far above the viewport: its process lines still follow.
  list->toggle("app2");
  QApplication::processEvents();
  scrollTo(page->verticalScrollBar()->maximum());
  ASSERT_FALSE(inView("app2"));
  nextRound(1);
  const ProcessEntry fresh = manyApps(1).apps[2].processes[0];
  EXPECT_EQ(list->row("app2")->processLineText(0),
            "PID " + QString::number(fresh.pid) + " " + qs(fresh.name) + " " +
                qs(appValueText(ArayuzAppMetric::memory, fresh.footprintBytes, fresh.cpuFraction)));

  // Back at the top with app2 expanded, the rows just below the viewport wait...
  scrollTo(0);
  nextRound(2);
  std::string below;
  for (int a = 3; a < kApps && below.empty(); ++a) {
    const std::string id = "app" + std::to_string(a);
    if (!inView(id)) below = id;
  }
  ASSERT_FALSE(below.empty());
  ASSERT_TRUE(list->row(below)->button()->hasPendingContent());
  // ...and collapsing app2 moves them up into view with the current figures.
  list->toggle("app2");
  for (int i = 0; i < 4; ++i) QApplication::processEvents();  // the rows, the list, then the page settle
  ASSERT_TRUE(inView(below));
  const int index = std::stoi(below.substr(3));
  EXPECT_EQ(valueOf(list, below), expectedValue(index, 2));
  EXPECT_FALSE(list->row(below)->button()->hasPendingContent());
}

TEST_F(RowsInViewTest, AListNotOnScreenKeepsEveryRowCurrent) {
  page->hide();
  nextRound(3);
  EXPECT_EQ(list->pendingRowCount(), 0);
  EXPECT_EQ(valueOf(list, "app" + std::to_string(kApps - 1)), expectedValue(kApps - 1, 3));
}

// ---- the list of apps by traffic ------------------------------------------------------------------

std::vector<AppNetworkUsage> traffic(int round) {
  std::vector<AppNetworkUsage> rows;
  for (int a = 0; a < kApps; ++a) {
    AppNetworkUsage u;
    u.id = "net" + std::to_string(a);
    u.name = "Ağ " + std::to_string(a);
    u.downloadBytesPerSecond = 1000.0 * (kApps - a) + round * 10'000.0;
    u.totalDownloadedBytes = static_cast<uint64_t>(round + 1) * 5'000'000ull;
    rows.push_back(u);
  }
  return rows;
}

TEST(TrafficRowsInView, RowsOutOfViewWaitAndShowCurrentFiguresWhenScrolledIn) {
  Observable<std::optional<std::vector<AppNetworkUsage>>> source{traffic(0)};
  Observable<RateUnit> unit{RateUnit::bytes};
  QScrollArea area;
  area.setWidgetResizable(true);
  auto* list = new AppNetworkListView(source, unit);
  area.setWidget(list);
  area.resize(700, 300);
  area.show();
  QApplication::processEvents();
  auto rowOf = [&](int a) { return list->rows()[static_cast<size_t>(a)]; };
  auto inView = [&](int a) {
    const QWidget* row = rowOf(a);
    return QRect(row->mapTo(area.viewport(), QPoint(0, 0)), row->size()).intersects(area.viewport()->rect());
  };
  auto downloadText = [](int a, int round) {
    return qs(Format::rate(traffic(round)[static_cast<size_t>(a)].downloadBytesPerSecond, RateUnit::bytes));
  };
  ASSERT_TRUE(inView(0));
  ASSERT_FALSE(inView(kApps - 1));
  EXPECT_EQ(rowOf(kApps - 1)->downloadLabel()->text(), downloadText(kApps - 1, 0)) << "every row is filled once";

  source.set(traffic(1));
  EXPECT_GT(list->pendingRowCount(), 0);
  EXPECT_EQ(rowOf(0)->downloadLabel()->text(), downloadText(0, 1));
  EXPECT_EQ(rowOf(kApps - 1)->downloadLabel()->text(), downloadText(kApps - 1, 0)) << "out of view: not touched yet";

  area.verticalScrollBar()->setValue(area.verticalScrollBar()->maximum());
  QApplication::processEvents();
  ASSERT_TRUE(inView(kApps - 1));
  EXPECT_EQ(rowOf(kApps - 1)->downloadLabel()->text(), downloadText(kApps - 1, 1));
  EXPECT_TRUE(rowOf(kApps - 1)->totalsLabel()->text().contains(qs(Format::storageText(10'000'000.0))));

  // A new unit reaches the rows out of view too, once they are seen.
  unit.set(RateUnit::bits);
  area.verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  EXPECT_EQ(rowOf(0)->downloadLabel()->text(), qs(Format::rate(traffic(1)[0].downloadBytesPerSecond, RateUnit::bits)));
  EXPECT_FALSE(rowOf(0)->hasPendingRow());
}

// ---- the chart ------------------------------------------------------------------------------------

class ChartRenderTest : public PageFixture {
 protected:
  void SetUp() override {
    for (int i = 0; i < 30; ++i) {
      cpuSampler->box.set(CPUSnapshot{0.2 + 0.02 * i, 0.1, 0.05, 4});
      tick();
    }
    page = std::make_unique<CpuDetailView>(context());
    page->resize(820, 900);
    page->show();
    QApplication::processEvents();
    chart = page->history()->chart();
    ASSERT_FALSE(chart->isEmpty());
  }
  void TearDown() override { page.reset(); }

  // Pixels of the processor colour in the chart as painted on screen.
  int linePixels() {
    const QImage image = chart->grab().toImage();
    const QColor line = paletteColor(ArayuzPalette::cpu, chart->palette());
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - line.red()) + std::abs(c.green() - line.green()) + std::abs(c.blue() - line.blue()) < 40) {
          ++n;
        }
      }
    }
    return n;
  }

  std::unique_ptr<CpuDetailView> page;
  HistoryChartView* chart = nullptr;
};

TEST_F(ChartRenderTest, DrawsAgainOnlyWhenItsContentChanges) {
  const int drawn = chart->renderCount();
  ASSERT_GE(drawn, 1);
  EXPECT_GT(linePixels(), 100) << "the line is on the picture";

  // Paints for other reasons (a neighbour, the pointer) copy the kept picture.
  chart->repaint();
  page->viewport()->repaint();
  detail->refresh();  // nothing new: the same points
  QApplication::processEvents();
  chart->repaint();
  EXPECT_EQ(chart->renderCount(), drawn);

  // A new reading moves the line: drawn once more.
  cpuSampler->box.set(CPUSnapshot{0.9, 0.5, 0.1, 4});
  tick();
  QApplication::processEvents();
  chart->repaint();
  EXPECT_EQ(chart->renderCount(), drawn + 1);

  // A new size and a new palette draw it afresh too.
  page->resize(700, 900);
  QApplication::processEvents();
  chart->repaint();
  EXPECT_EQ(chart->renderCount(), drawn + 2);
  QPalette dark = chart->palette();
  dark.setColor(QPalette::Window, Qt::black);
  dark.setColor(QPalette::WindowText, Qt::white);
  chart->setPalette(dark);
  chart->repaint();
  EXPECT_EQ(chart->renderCount(), drawn + 3);
}

TEST_F(ChartRenderTest, ARangeWithoutDataClearsTheKeptPicture) {
  ASSERT_GT(linePixels(), 100);
  const int drawn = chart->renderCount();
  // Far past the readings: the one-minute range holds no points.
  advance(600);
  detail->setHistoryRange(ArayuzChartRange::oneMinute);
  QApplication::processEvents();
  chart->repaint();
  EXPECT_TRUE(chart->isEmpty());
  EXPECT_GT(chart->renderCount(), drawn);
  EXPECT_EQ(linePixels(), 0) << "no stale line left from the kept picture";
}

// ---- figures of fixed size ------------------------------------------------------------------------

// Counts the layout requests a widget receives.
class LayoutRequests : public QObject {
 public:
  explicit LayoutRequests(QWidget* w) { w->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::LayoutRequest) ++count;
    return false;
  }
};

TEST(FixedSizeFigures, SameWidthTextsDoNotLayOutAgainAndWiderOnesStillFit) {
  QWidget host;
  auto* row = new QHBoxLayout(&host);
  auto* figure = new BigValueView(QString::fromUtf8("%5"), {}, PageMetrics::kBigFigure, "%100");
  auto* value = new KeyValueRowView("Kullanıcı", QString::fromUtf8("%1"));
  row->addWidget(figure);
  row->addWidget(value);
  host.show();
  QApplication::processEvents();
  QLabel* primary = figure->primaryLabel();
  const int reserved = primary->fontMetrics().horizontalAdvance("%100");
  EXPECT_GE(figure->width(), reserved) << "the template's width is kept";

  LayoutRequests requests(&host);
  figure->setPrimary(QString::fromUtf8("%42"));
  value->setValue(QString::fromUtf8("%7"));  // a digit as wide as the last one
  QApplication::processEvents();
  EXPECT_EQ(requests.count, 0);
  EXPECT_EQ(primary->text(), QString::fromUtf8("%42"));
  EXPECT_EQ(value->value(), QString::fromUtf8("%7"));

  // Wider than the template, or wider than before: the label grows and the text fits whole.
  const QString wide = QString::fromUtf8("%1000000");
  figure->setPrimary(wide);
  value->setValue(QString::fromUtf8("123.456.789 GB"));
  QApplication::processEvents();
  EXPECT_GE(primary->width(), primary->fontMetrics().horizontalAdvance(wide));
  EXPECT_GE(value->valueLabel()->width(), value->valueLabel()->fontMetrics().horizontalAdvance("123.456.789 GB"));

  // A narrower text again: back to the template's width, not below it.
  figure->setPrimary(QString::fromUtf8("%3"));
  QApplication::processEvents();
  EXPECT_GE(figure->width(), reserved);
  EXPECT_LT(primary->width(), primary->fontMetrics().horizontalAdvance(wide));
}

TEST(FixedSizeFigures, AVerdictOfTheSameHeightDoesNotLayThePageOutAgain) {
  QWidget host;
  auto* column = new QVBoxLayout(&host);
  auto* header = new DetailHeaderView(CardKind::cpu, nullptr);
  column->addWidget(header);
  column->addStretch(1);
  host.resize(600, 300);
  header->setVerdict(Verdict{CardKind::cpu, Severity::ok, "İşlemci rahat, kullanım %12."});
  host.show();
  for (int i = 0; i < 3; ++i) QApplication::processEvents();  // the sentence, the header, the host
  const int oneLine = header->sentenceLabel()->height();

  LayoutRequests requests(&host);
  header->setVerdict(Verdict{CardKind::cpu, Severity::ok, "İşlemci rahat, kullanım %47."});
  QApplication::processEvents();
  EXPECT_EQ(requests.count, 0);
  EXPECT_EQ(header->sentenceLabel()->text(), QString::fromUtf8("İşlemci rahat, kullanım %47."));

  // A sentence that wraps onto more lines still makes room for itself.
  std::string longer = "İşlemci uzun süredir yoğun çalışıyor, kullanım %97.";
  for (int i = 0; i < 6; ++i) longer += " En çok kullanan: Çok uzun adlı bir uygulama.";
  header->setVerdict(Verdict{CardKind::cpu, Severity::warning, longer});
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  EXPECT_GT(requests.count, 0);
  EXPECT_GT(header->sentenceLabel()->height(), 2 * oneLine);
  EXPECT_GE(header->height(), header->sentenceLabel()->height());
}

}  // namespace
}  // namespace kovra::ui::testing
