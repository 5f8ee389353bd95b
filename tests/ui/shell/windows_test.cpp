// The main window and the menu panel: visibility reaches the store at once, the content goes
// half a second (virtual) after hiding, the navigation path drives the pages, and closing the
// main window does not end the program.

#include <QApplication>
#include <QResizeEvent>
#include <QScreen>

#include <limits>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "core/log.h"
#include "shell_fixture.h"
#include "ui/shell/main_window.h"
#include "ui/shell/menu_panel.h"
#include "ui/shell/navigation_stack.h"
#include "ui/shell/settings_form.h"
#include "ui/shell/shell.h"
#include "ui/tray/tray_presence.h"

namespace kovra::ui::testing {
namespace {

using Kind = MantikSampleKind;

class WindowsTest : public ShellFixture {};

TEST_F(WindowsTest, MainWindowVisibilityStartsAndStopsLoopsAndReleasesContentAfterHalfASecond) {
  LogCapture log;
  auto ctx = context();
  MainWindow window(ctx, {});
  EXPECT_EQ(window.windowTitle(), "Kovra");
  EXPECT_EQ(window.size(), QSize(820, 760));
  EXPECT_EQ(window.minimumSize(), QSize(640, 520));
  EXPECT_FALSE(loopRuns(Kind::cpu));
  EXPECT_EQ(window.content(), nullptr);

  window.bringForward();
  settle();
  EXPECT_TRUE(store->isVisible(Surface::mainWindow));
  EXPECT_TRUE(loopRuns(Kind::cpu));
  EXPECT_TRUE(loopRuns(Kind::battery));
  ASSERT_NE(window.content(), nullptr);
  EXPECT_EQ(dashboard->visibleSurfaces().count(Surface::mainWindow), 1u);

  // Closed and reopened within half a second: the same content stays.
  QWidget* content = window.content();
  window.close();
  settle();
  EXPECT_FALSE(store->isVisible(Surface::mainWindow));  // told at once
  EXPECT_FALSE(loopRuns(Kind::cpu));
  ex.advance(0.4);
  EXPECT_EQ(window.content(), content);
  window.bringForward();
  settle();
  ex.advance(1.0);
  EXPECT_EQ(window.content(), content);
  EXPECT_TRUE(loopRuns(Kind::cpu));

  // Hidden for longer: released, with the log line.
  window.close();
  settle();
  ex.advance(0.49);
  EXPECT_NE(window.content(), nullptr);
  ex.advance(0.02);
  EXPECT_EQ(window.content(), nullptr);
  EXPECT_EQ(log.count("ana pencere görünür: false (zamanlayıcı: içerik kaldırıldı)"), 1u);
  EXPECT_EQ(log.count("ana pencere görünür: true (ekranda)"), 2u);
  // Released, the closed window holds no native window either; opening it again makes one and
  // the content comes back.
  EXPECT_EQ(window.windowHandle(), nullptr);
  window.bringForward();
  settle();
  ASSERT_NE(window.windowHandle(), nullptr);
  EXPECT_TRUE(window.windowHandle()->isVisible());
  EXPECT_NE(window.content(), nullptr);
  EXPECT_TRUE(store->isVisible(Surface::mainWindow));
}

TEST_F(WindowsTest, NetworkPageOnThePathSamplesPerAppTrafficOnlyWhileTheWindowShows) {
  auto ctx = context();
  MainWindow window(ctx, {});
  navigation.open(CardKind::network);
  window.bringForward();
  settle();
  EXPECT_TRUE(store->isVisible(Surface::networkDetail));
  EXPECT_TRUE(loopRuns(Kind::processNetwork));
  window.close();
  settle();
  EXPECT_FALSE(store->isVisible(Surface::networkDetail));
  EXPECT_FALSE(loopRuns(Kind::processNetwork));
}

TEST_F(WindowsTest, PathChangesPushAndPopPagesInPlace) {
  auto ctx = context();
  MainWindow window(ctx, {});
  window.bringForward();
  settle();
  auto* stack = qobject_cast<NavigationStack*>(window.content());
  ASSERT_NE(stack, nullptr);
  EXPECT_EQ(stack->currentPage(), stack->dashboard());
  EXPECT_FALSE(stack->backButton()->isVisibleTo(stack));

  navigation.open(CardKind::cpu);
  EXPECT_EQ(stack->pageCards(), std::vector<CardKind>{CardKind::cpu});
  EXPECT_EQ(detail->activeDetail(), CardKind::cpu);
  EXPECT_TRUE(stack->backButton()->isVisibleTo(stack));
  QWidget* cpuPage = stack->currentPage();

  navigation.path.set({CardKind::cpu, CardKind::memory});
  EXPECT_EQ(stack->pageCards(), (std::vector<CardKind>{CardKind::cpu, CardKind::memory}));
  EXPECT_EQ(detail->activeDetail(), CardKind::memory);

  stack->backButton()->click();
  EXPECT_EQ(navigation.path.value(), std::vector<CardKind>{CardKind::cpu});
  EXPECT_EQ(stack->currentPage(), cpuPage);  // the page below was kept as it was

  // A card opened from the panel replaces the whole path.
  navigation.open(CardKind::disk);
  EXPECT_EQ(stack->pageCards(), std::vector<CardKind>{CardKind::disk});
  stack->backButton()->click();
  EXPECT_EQ(stack->currentPage(), stack->dashboard());
  EXPECT_FALSE(detail->activeDetail().has_value());
}

TEST_F(WindowsTest, MenuPanelVisibilityReachesTheStoreAndKeepsItsHeightWhileReleased) {
  auto ctx = context();
  MenuPanel panel(ctx, {});
  EXPECT_EQ(panel.width(), 420);
  EXPECT_EQ(panel.placeholderHeight(), 380);
  EXPECT_TRUE(panel.windowFlags().testFlag(Qt::Popup));

  panel.showAt(QPoint(300, 0));
  settle();
  EXPECT_TRUE(store->isVisible(Surface::menuPanel));
  EXPECT_TRUE(loopRuns(Kind::cpu));
  ASSERT_NE(panel.content(), nullptr);
  const int measured = panel.height();

  panel.toggleAt(QPoint(300, 0));  // the second activation closes it
  EXPECT_FALSE(panel.isVisible());
  settle();
  EXPECT_FALSE(store->isVisible(Surface::menuPanel));
  EXPECT_FALSE(loopRuns(Kind::cpu));
  ex.advance(0.6);
  EXPECT_EQ(panel.content(), nullptr);
  EXPECT_EQ(panel.placeholderHeight(), measured);
  EXPECT_EQ(panel.sizeHint().height(), measured);
}

TEST(PanelPlacement, StaysInsideTheAvailableAreaOnEverySide) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize size(420, 500);
  // A top panel: centred below the click.
  EXPECT_EQ(placePanel({960, 10}, size, screen), QRect(750, 10, 420, 500));
  // At the right edge: pushed left, never off screen.
  EXPECT_EQ(placePanel({1910, 10}, size, screen).right(), 1919);
  EXPECT_EQ(placePanel({5, 10}, size, screen).left(), 0);
  // A bottom panel: above the click.
  EXPECT_EQ(placePanel({960, 1075}, size, screen).bottom(), 1074);
  // A second screen to the right, with a bar taking its top 30 px.
  const QRect second(1920, 30, 1280, 994);
  EXPECT_TRUE(second.contains(placePanel({3190, 0}, size, second)));
  // Taller than the area: the top stays visible.
  EXPECT_EQ(placePanel({100, 100}, QSize(420, 2000), screen).top(), 0);
  // A top panel 29 px high at the far right of a 1600 px screen: below the panel, wholly inside.
  const QRect underTopPanel(0, 29, 1600, 871);
  EXPECT_EQ(placePanel({1599, 14}, size, underTopPanel), QRect(1180, 29, 420, 500));
  // A bottom panel: above it.
  const QRect overBottomPanel(0, 0, 1600, 870);
  EXPECT_EQ(placePanel({1590, 885}, size, overBottomPanel), QRect(1180, 370, 420, 500));
  // Whatever another program sends, the result is inside the area (and nothing overflows).
  for (int v : {std::numeric_limits<int>::min(), -1, std::numeric_limits<int>::max()}) {
    EXPECT_TRUE(screen.contains(placePanel({v, v}, size, screen))) << v;
  }
}

TEST_F(WindowsTest, MenuPanelNeverShrinksToNothingWhileShownAndStaysPlacedAsItGrows) {
  auto ctx = context();
  MenuPanel panel(ctx, {});
  // Every size the window takes while it is on screen: a window that shrinks to nothing is
  // unmapped by X, loses its grab and closes.
  struct SizeLog : QObject {
    int smallest = 1 << 20;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Resize && static_cast<QWidget*>(watched)->isVisible())
        smallest = std::min(smallest, static_cast<QResizeEvent*>(event)->size().height());
      return false;
    }
  } sizes;
  panel.installEventFilter(&sizes);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint rightEdge(area.right(), area.top());
  panel.showAt(rightEdge);
  settle();
  ASSERT_NE(panel.content(), nullptr);
  EXPECT_GT(sizes.smallest, 100);
  EXPECT_TRUE(area.contains(panel.geometry())) << "placed with its real size";

  // Reopened after the content was released: the swap back happens while shown.
  panel.hide();
  ex.advance(0.6);
  ASSERT_EQ(panel.content(), nullptr);
  panel.showAt(QPoint(area.left(), area.bottom()));
  settle();
  EXPECT_GT(sizes.smallest, 100);
  ASSERT_NE(panel.content(), nullptr);

  // Content that grows after placing moves the panel back inside the area.
  panel.content()->setFixedHeight(area.height() - 10);
  panel.adjustSize();
  EXPECT_TRUE(area.contains(panel.geometry()));
}

TEST_F(WindowsTest, TrayActivationTogglesThePanelAndItsButtonsReachTheWindows) {
  auto ctx = context();
  Shell shell(ctx);
  shell.togglePanel(QPoint(200, 0));
  settle();
  EXPECT_TRUE(shell.panel()->isVisible());
  EXPECT_TRUE(store->isVisible(Surface::menuPanel));
  shell.togglePanel(QPoint(200, 0));
  EXPECT_FALSE(shell.panel()->isVisible());

  // A card chosen in the panel closes it and opens that card's page in the main window.
  navigation.open(CardKind::memory);
  shell.togglePanel(QPoint(200, 0));
  shell.openCard(CardKind::disk);
  settle();
  EXPECT_EQ(navigation.path.value(), std::vector<CardKind>{CardKind::disk});
  EXPECT_TRUE(shell.mainWindow()->isVisible());
  shell.openSettings();
  ASSERT_NE(shell.settingsWindow(), nullptr);
  EXPECT_TRUE(shell.settingsWindow()->isVisible());
  shell.shutdown();
  EXPECT_FALSE(shell.mainWindow()->isVisible());
}

TEST_F(WindowsTest, ClosingTheMainWindowLeavesTheProgramRunning) {
  auto ctx = context();
  Shell shell(ctx);
  shell.openMainWindow();
  settle();
  ASSERT_TRUE(shell.mainWindow()->isVisible());
  int status = -1;
  QTimer::singleShot(0, [&] {
    shell.mainWindow()->close();
    // Runs after anything the close queued, a quit included.
    QTimer::singleShot(0, [] { QCoreApplication::exit(42); });
  });
  status = QCoreApplication::exec();
  EXPECT_EQ(status, 42);
  EXPECT_FALSE(shell.mainWindow()->isVisible());
}

TEST_F(WindowsTest, WithoutATrayTheWindowOpensAfterTheGracePeriodAndClosingItQuits) {
  auto ctx = context();
  Shell shell(ctx);
  shell.start();  // the test run has no bus and the offscreen platform no tray
  settle();
  EXPECT_FALSE(shell.mainWindow()->isVisible()) << "a panel starting with the session may still come";
  ex.advance(TrayPresence::kGraceSeconds + 0.5);
  settle();
  EXPECT_TRUE(shell.withoutTray());
  ASSERT_TRUE(shell.mainWindow()->isVisible());
  int quits = 0;
  QObject::connect(&shell, &Shell::quitRequested, &shell, [&] { ++quits; });
  shell.mainWindow()->close();
  settle();
  EXPECT_EQ(quits, 1) << "with nothing left on screen the program ends";
}

}  // namespace
}  // namespace kovra::ui::testing
