#include <QToolTip>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>

#include "page_fixture.h"
#include "ui/pages/disk_page_view.h"
#include "ui/pages/platform_texts.h"

namespace kovra::ui::testing {
namespace {

class DiskPageTest : public PageFixture {
 protected:
  void SetUp() override {
    diskSampler->box.set(DiskSnapshot{500'000'000'000ull, 120'000'000'000ull, std::string("Ev")});
    tick();
    page = std::make_unique<DiskPageView>(*store, *detail);
    section = page->scanSection();
    section->setRevealHandler([this](const QByteArray& path) { revealed << path; });
  }
  void TearDown() override { page.reset(); }

  std::unique_ptr<DiskPageView> page;
  DiskScanSectionView* section = nullptr;
  QByteArrayList revealed;
};

TEST_F(DiskPageTest, CapacityPartShowsFreeTotalAndFill) {
  EXPECT_EQ(page->bigValue()->primaryLabel()->text(), QString::fromUtf8("120 GB"));
  EXPECT_EQ(page->bigValue()->secondaryLabel()->text(), QString::fromUtf8("boş / 500 GB"));
  EXPECT_EQ(page->usageLabel()->text(), QString::fromUtf8("%76 dolu"));
  EXPECT_DOUBLE_EQ(*page->usageBar()->fraction(), 0.76);
  EXPECT_EQ(page->detailRow(0)->value(), QString::fromUtf8("Ev"));
  EXPECT_EQ(page->detailRow(3)->value(), QString::fromUtf8("380 GB"));
  EXPECT_EQ(page->detailRow(4)->value(), QString::fromUtf8("%76"));
  EXPECT_EQ(detail->activeDetail(), CardKind::disk);
  page.reset();
  EXPECT_FALSE(detail->activeDetail().has_value());
}

TEST_F(DiskPageTest, ScanSectionWalksThroughItsStates) {
  EXPECT_EQ(section->shownCase(), DiskScanState::Case::idle);
  EXPECT_TRUE(shownIn(section->introLabel(), section));
  EXPECT_EQ(section->introLabel()->text(),
            QString::fromUtf8("Ev klasörünü tarar ve en büyük 10 klasörü ve 20 dosyayı gösterir. Tarama arka planda "
                              "çalışır, istediğin an durdurabilirsin. Hiçbir şey silinmez."));
  EXPECT_EQ(section->startButton()->text(), QString::fromUtf8("En çok yer kaplayanları bul"));

  scanner->progress.currentPath = QDir::homePath().toStdString() + "/Documents/projects";
  section->startButton()->click();
  EXPECT_EQ(section->shownCase(), DiskScanState::Case::scanning);
  ASSERT_TRUE(waitFor([&] { return store->diskScan().progress.scannedFileCount == 1234; }));
  auto* progress = section->progressView();
  EXPECT_EQ(progress->countLabel()->text(), QString::fromUtf8("1.234 dosya · ") + qs(Format::storageText(5.6e9)));
  EXPECT_EQ(progress->percentLabel()->text(), QString::fromUtf8("%42"));
  EXPECT_EQ(progress->bar()->maximum(), 1000) << "a fraction makes the bar determinate";
  EXPECT_EQ(progress->pathLabel()->text(), QString::fromUtf8("~/Documents/projects"));

  progress->stopButton()->click();
  ASSERT_TRUE(waitFor([&] { return store->diskScan().kind == DiskScanState::Case::cancelled; }));
  EXPECT_EQ(section->shownCase(), DiskScanState::Case::cancelled);
  EXPECT_TRUE(shownIn(section->stoppedLabel(), section));
  EXPECT_FALSE(shownIn(section->introLabel(), section));
  EXPECT_EQ(section->startButton()->text(), QString::fromUtf8("Yeniden tara"));

  scanner->answer = Failure{ScanError::failed("disk taraması: kök bir klasör değil")};
  scanner->release();
  section->startButton()->click();
  ASSERT_TRUE(waitFor([&] { return store->diskScan().kind == DiskScanState::Case::failed; }));
  EXPECT_TRUE(shownIn(section->failureLine(), section));
  EXPECT_EQ(section->failureLabel()->text(), QString::fromUtf8("Tarama tamamlanamadı: disk taraması: kök bir klasör değil"));
  EXPECT_EQ(section->startButton()->text(), QString::fromUtf8("Yeniden dene"));

  scanner->answer = fakeDiskScanResult();
  section->startButton()->click();
  ASSERT_TRUE(waitFor([&] { return store->diskScan().kind == DiskScanState::Case::finished; }));
  auto* result = section->resultView();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->summaryLabel()->text(), QString::fromUtf8("48.210 dosya tarandı, toplam 96 GB"));
  EXPECT_FALSE(shownIn(result->skippedLabel(), result));
  ASSERT_EQ(result->folderList()->rows().size(), 1u);
  auto* row = result->fileList()->rows()[0];
  EXPECT_EQ(row->revealButton()->text(), QString::fromUtf8("Dosya yöneticisinde göster"));
  row->revealButton()->click();
  EXPECT_EQ(revealed, QByteArrayList{"/home/user/Videos/film.mkv"});
  // With no file manager to show it, the failure is said next to the button.
  section->showRevealFailure(row->revealButton());
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("Dosya yöneticisi açılamadı."));
  QToolTip::hideText();
  EXPECT_EQ(result->partialNotice(), nullptr) << "no access notices on this platform";

  result->rescanButton()->click();
  EXPECT_EQ(section->shownCase(), DiskScanState::Case::scanning);
  EXPECT_EQ(section->progressView()->bar()->maximum(), 0) << "the empty first progress has no fraction: busy bar";
}

TEST_F(DiskPageTest, AScanWithNothingReadableStillShowsTheResultWithTwoDashLists) {
  scanner->answer = DiskScanResult{{}, {}, 0, 0, 3, true};
  scanner->release();
  section->startButton()->click();
  ASSERT_TRUE(waitFor([&] { return store->diskScan().kind == DiskScanState::Case::finished; }));
  auto* result = section->resultView();
  EXPECT_TRUE(result->summaryLabel()->text().startsWith(QString::fromUtf8("0 dosya tarandı, toplam ")));
  EXPECT_TRUE(shownIn(result->skippedLabel(), result));
  EXPECT_EQ(result->skippedLabel()->text(), QString::fromUtf8("İzin olmadığı için atlanan öğe: 3"));
  ASSERT_NE(result->folderList()->emptyLabel(), nullptr);
  ASSERT_NE(result->fileList()->emptyLabel(), nullptr);
  EXPECT_EQ(result->fileList()->emptyLabel()->text(), QString::fromUtf8("—"));
}

TEST_F(DiskPageTest, WithoutAReadingTheFiguresAreDashes) {
  diskSampler->box.set(unreadable("statvfs"));
  tick();
  EXPECT_EQ(page->bigValue()->primaryLabel()->text(), QString::fromUtf8("—"));
  EXPECT_EQ(page->bigValue()->secondaryLabel()->text(), QString::fromUtf8("boş / —"));
  EXPECT_FALSE(page->usageBar()->fraction().has_value());
}

TEST(PlatformTexts, BothPlatformsKeepTheirOwnSentences) {
  const auto& mac = platformTexts(TextPlatform::macOS);
  const auto& gnu = platformTexts(TextPlatform::linuxDesktop);
  EXPECT_EQ(mac.revealButton, "Finder'da göster");
  EXPECT_EQ(gnu.revealButton, "Dosya yöneticisinde göster");
  EXPECT_EQ(mac.diskNote,
            "Boş alan Finder'daki rakamla aynıdır: macOS'un gerektiğinde boşaltabileceği alan da dahildir.");
  EXPECT_EQ(gnu.diskNote, "Boş alan df komutunun gösterdiği rakamla aynıdır: yöneticiye ayrılmış alan dahil değildir.");
  EXPECT_EQ(gnu.resultNote,
            "Bu sürüm hiçbir şey silmez; dosyaya ulaşmak için “Dosya yöneticisinde göster”i kullan.");
  EXPECT_EQ(mac.resultNote, "Bu sürüm hiçbir şey silmez; dosyaya ulaşmak için “Finder'da göster”i kullan.");
  EXPECT_NE(mac.memoryNote.find("macOS'un bildirdiği"), std::string::npos);
  EXPECT_NE(gnu.memoryNote.find("Linux'un bildirdiği"), std::string::npos);
  EXPECT_TRUE(mac.showsFullDiskAccess);
  EXPECT_FALSE(gnu.showsFullDiskAccess);
  EXPECT_EQ(currentTextPlatform(), TextPlatform::linuxDesktop);
}

}  // namespace
}  // namespace kovra::ui::testing
