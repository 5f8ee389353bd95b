#include <QPushButton>

#include "core/log.h"
#include "page_fixture.h"
#include "ui/pages/app_list_view.h"
#include "ui/pages/confirmation.h"
#include "ui/pages/detail_components.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/platform_texts.h"

namespace kovra::ui::testing {
namespace {

// Answers every confirmation with the next scripted answer and records what was asked.
class ScriptedConfirmations {
 public:
  ScriptedConfirmations() {
    previous_ = setConfirmHandler([this](const ConfirmRequest& r, QWidget*, ConfirmDone done) {
      asked.push_back(r);
      const bool answer = answers.empty() ? false : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      done(answer);
    });
  }
  ~ScriptedConfirmations() { setConfirmHandler(previous_); }
  std::vector<bool> answers;
  std::vector<ConfirmRequest> asked;

 private:
  ConfirmHandler previous_;
};

ProcessListSnapshot threeApps() {
  return ProcessListSnapshot{{makeApp("editor", "Metin", 900'000'000, 0.10), makeApp("player", "Müzik", 500'000'000, 0.30),
                              makeApp("system", "Sistem ve arka plan", 300'000'000, 0.05, false, 3)},
                             0};
}

class AppListTest : public PageFixture {
 protected:
  void SetUp() override {
    setProcesses(threeApps());
    tick();
    page.reset(new MemoryDetailView(context()));
    list = page->appList();
  }
  void TearDown() override { page.reset(); }
  std::vector<std::string> ids() const {
    std::vector<std::string> out;
    for (auto* r : list->rows()) out.push_back(r->id());
    return out;
  }

  std::unique_ptr<MemoryDetailView> page;
  AppListView* list = nullptr;
  ScriptedConfirmations confirmations;
  LogCapture log;
};

TEST_F(AppListTest, QuitAsksWithTheExactTextsAndCancelWritesNothing) {
  list->toggle("editor");
  AppRowView* row = list->row("editor");
  ASSERT_TRUE(shownIn(row->quitButton(), row));
  EXPECT_EQ(row->quitButton()->text(), QString::fromUtf8("Kapat…"));
  EXPECT_EQ(row->forceButton()->text(), QString::fromUtf8("Zorla kapat…"));

  confirmations.answers = {false};
  row->quitButton()->click();
  ASSERT_EQ(confirmations.asked.size(), 1u);
  EXPECT_EQ(confirmations.asked[0].title, QString::fromUtf8("“Metin” kapatılsın mı?"));
  EXPECT_EQ(confirmations.asked[0].message, QString::fromUtf8("Uygulama kaydedilmemiş işler için sana sorabilir."));
  EXPECT_EQ(confirmations.asked[0].acceptText, QString::fromUtf8("Kapat"));
  EXPECT_EQ(confirmations.asked[0].cancelText, QString::fromUtf8("Vazgeç"));
  EXPECT_EQ(terminator->outcome.callCount(), 0);
  EXPECT_EQ(list->state().note("editor"), nullptr);
  EXPECT_FALSE(list->state().quitCandidate().has_value());

  confirmations.answers = {true};
  row->quitButton()->click();
  EXPECT_EQ(terminator->outcome.callCount(), 1);
  ASSERT_NE(list->state().note("editor"), nullptr);
  EXPECT_TRUE(shownIn(row->noteLabel(), row));
  EXPECT_EQ(row->noteLabel()->text(),
            QString::fromUtf8("“Metin” uygulamasına kapanma isteği gönderildi. Kaydedilmemiş iş varsa sana sorabilir."));
  EXPECT_TRUE(log.messages("ui").empty());
}

TEST_F(AppListTest, ForceQuitNeedsTheFinalBoxAndCancellingItLeavesTheAppRunning) {
  list->toggle("player");
  AppRowView* row = list->row("player");
  confirmations.answers = {true};
  row->forceButton()->click();
  ASSERT_EQ(confirmations.asked.size(), 1u);
  EXPECT_EQ(confirmations.asked[0].title, QString::fromUtf8("“Müzik” zorla kapatılsın mı?"));
  EXPECT_EQ(confirmations.asked[0].acceptText, QString::fromUtf8("Devam et"));
  EXPECT_EQ(terminator->outcome.callCount(), 0) << "the first dialog only arms the row";
  EXPECT_EQ(list->state().forceArmedID(), "player");
  ASSERT_NE(row->armedBox(), nullptr);
  EXPECT_EQ(row->armedBox()->textLabel()->text(),
            QString::fromUtf8("Son onay: “Müzik” hemen kapanacak ve kaydedilmemiş değişiklikler kaybolacak."));

  row->armedCancelButton()->click();
  EXPECT_FALSE(list->state().forceArmedID().has_value());
  EXPECT_EQ(row->armedBox(), nullptr);
  EXPECT_EQ(terminator->outcome.callCount(), 0);
  EXPECT_EQ(list->state().note("player"), nullptr);
}

TEST_F(AppListTest, ArmingOneRowDisarmsTheOtherAndForceQuitUsesTheFreshRecord) {
  list->toggle("editor");
  list->toggle("player");
  confirmations.answers = {true, true};
  list->row("editor")->forceButton()->click();
  list->row("player")->forceButton()->click();
  EXPECT_EQ(list->state().forceArmedID(), "player");
  EXPECT_EQ(list->row("editor")->armedBox(), nullptr);
  ASSERT_NE(list->row("player")->armedBox(), nullptr);

  terminator->outcome.set(TerminateOutcome::requested);
  list->row("player")->armedForceButton()->click();
  EXPECT_EQ(terminator->outcome.callCount(), 1);
  EXPECT_FALSE(list->state().forceArmedID().has_value());
  EXPECT_EQ(list->row("player")->noteLabel()->text(), QString::fromUtf8("“Müzik” zorla kapatılıyor."));
}

TEST_F(AppListTest, AnExitedAppGivesTheNotRunningNoteAndNoErrorLog) {
  list->toggle("editor");
  terminator->outcome.set(TerminateOutcome::notRunning);
  confirmations.answers = {true};
  list->row("editor")->quitButton()->click();
  const auto* note = list->state().note("editor");
  ASSERT_NE(note, nullptr);
  EXPECT_FALSE(note->isFailure);
  EXPECT_EQ(note->text, "“Metin” zaten kapalı.");
  EXPECT_TRUE(log.messages("ui").empty());
}

TEST_F(AppListTest, ARefusedQuitLogsTheFailureLine) {
  list->toggle("editor");
  terminator->outcome.set(TerminateOutcome::failed);
  confirmations.answers = {true};
  list->row("editor")->quitButton()->click();
  EXPECT_EQ(log.count("Kapatma başarısız: Metin, zorla: 0"), 1u);
  EXPECT_TRUE(list->state().note("editor")->isFailure);
}

TEST_F(AppListTest, StateSurvivesARefreshThatReSortsTheListAndRowsAreReused) {
  list->toggle("player");
  confirmations.answers = {true};
  list->row("player")->forceButton()->click();
  AppRowView* playerRow = list->row("player");
  AppRowView* editorRow = list->row("editor");
  EXPECT_EQ(ids(), (std::vector<std::string>{"editor", "player", "system"}));

  auto snapshot = threeApps();
  snapshot.apps[1].footprintBytes = 2'000'000'000;  // the player is now the largest
  std::swap(snapshot.apps[0], snapshot.apps[1]);
  setProcesses(snapshot);
  tick();

  EXPECT_EQ(ids(), (std::vector<std::string>{"player", "editor", "system"}));
  EXPECT_EQ(list->row("player"), playerRow) << "rows are moved, not rebuilt";
  EXPECT_EQ(list->row("editor"), editorRow);
  EXPECT_TRUE(list->state().isExpanded("player"));
  EXPECT_EQ(list->state().forceArmedID(), "player");
  EXPECT_NE(playerRow->armedBox(), nullptr);
  EXPECT_TRUE(shownIn(playerRow->details(), playerRow));
  EXPECT_DOUBLE_EQ(*playerRow->button()->bar()->fraction(), 1.0);
  EXPECT_EQ(playerRow->button()->valueLabel()->text(), qs(Format::memoryText(2'000'000'000)));
}

TEST_F(AppListTest, SystemGroupCannotBeQuitAndRowsCarryTheirAccessibleTexts) {
  list->toggle("system");
  AppRowView* row = list->row("system");
  EXPECT_FALSE(shownIn(row->quitButton(), row));
  EXPECT_TRUE(shownIn(row->cannotQuitLabel(), row));
  EXPECT_EQ(row->cannotQuitLabel()->text(), QString::fromUtf8("Bu grup buradan kapatılamaz."));
  EXPECT_EQ(row->processLineCount(), 3);
  EXPECT_EQ(row->button()->accessibleDescription(), QString::fromUtf8("Alt süreçleri gösterir ya da gizler"));
  EXPECT_EQ(row->button()->accessibleName(), QString::fromUtf8("Sistem ve arka plan, ") + qs(Format::memoryText(300'000'000)));
  EXPECT_EQ(list->headerLabel()->text(),
            QString::fromUtf8("Belleğe göre, büyükten küçüğe. Satıra tıklayınca alt süreçler görünür."));
}

TEST_F(AppListTest, UnreadableProcessesFooterUsesThePlatformSentence) {
  auto snapshot = threeApps();
  snapshot.unreadableCount = 1234;
  setProcesses(snapshot);
  tick();
  EXPECT_TRUE(shownIn(list->footerLabel(), list));
  EXPECT_EQ(list->footerLabel()->text(),
            QString::fromUtf8("Okunamayan sistem süreçleri: 1.234. Linux bu süreçlerin bilgisini vermiyor."));
  EXPECT_EQ(unreadableFooter(7, TextPlatform::macOS),
            "Okunamayan sistem süreçleri: 7. macOS bu süreçlerin bilgisini vermiyor.");
}

// ---- list contents without widgets ---------------------------------------------------------------

TEST(AppListRows, AllZeroValuesGiveEmptyBarsAndTheCpuListLeavesOutAppsWithoutAShare) {
  ProcessListSnapshot zero{{makeApp("a", "A", 0, 0.0), makeApp("b", "B", 0, std::nullopt)}, 0};
  for (auto metric : {ArayuzAppMetric::memory, ArayuzAppMetric::cpu}) {
    for (const auto& row : appListRows(&zero, metric)) EXPECT_EQ(row.fraction, 0.0);
  }
  const auto cpuRows = appListRows(&zero, ArayuzAppMetric::cpu);
  ASSERT_EQ(cpuRows.size(), 1u);
  EXPECT_EQ(cpuRows[0].app->id, "a");
  EXPECT_TRUE(appListRows(nullptr, ArayuzAppMetric::memory).empty());
  EXPECT_EQ(appValueText(ArayuzAppMetric::cpu, 0, 0.123), "%12");
  EXPECT_EQ(appValueText(ArayuzAppMetric::cpu, 0, std::nullopt), "—");
  EXPECT_EQ(appValueText(ArayuzAppMetric::cpu, 0, -0.5), "—");
}

class CpuListTest : public PageFixture {};

TEST_F(CpuListTest, ZeroListDrawsAndProcessWithoutShareShowsADash) {
  auto app = makeApp("idle", "Boşta", 0, 0.0, true, 2);
  app.processes[1].cpuFraction.reset();
  setProcesses(ProcessListSnapshot{{app, makeApp("noshare", "Paysız", 10, std::nullopt)}, 0});
  tick();
  CpuDetailView page(context());
  AppListView* list = page.appList();
  ASSERT_EQ(list->rows().size(), 1u);
  list->toggle("idle");
  AppRowView* row = list->row("idle");
  EXPECT_EQ(*row->button()->bar()->fraction(), 0.0);
  EXPECT_EQ(row->processLineText(1), QString::fromUtf8("PID 1001 Boşta-1 —"));
  page.resize(700, 900);
  QImage image(page.size(), QImage::Format_ARGB32);
  page.render(&image);  // paints the empty bars without dividing by zero
  EXPECT_EQ(list->headerLabel()->text(),
            QString::fromUtf8("İşlemci kullanımına göre, büyükten küçüğe. Satıra tıklayınca alt süreçler görünür."));
}

TEST_F(CpuListTest, AnEmptyListShowsADash) {
  setProcesses(ProcessListSnapshot{});
  tick();
  CpuDetailView page(context());
  EXPECT_TRUE(shownIn(page.appList()->emptyLabel(), page.appList()));
  EXPECT_EQ(page.appList()->emptyLabel()->text(), QString::fromUtf8("—"));
}

}  // namespace
}  // namespace kovra::ui::testing
