#include "ui/shell/main_window.h"

#include <malloc.h>

#include <QPixmapCache>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/shell/navigation_stack.h"
#include "ui/shell/panel_inspection.h"
#include "ui/shell/settings_form.h"
#include "ui/shell/surface_visibility.h"

namespace kovra::ui {

MainWindow::MainWindow(ShellContext& context, PanelActions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), actions_(std::move(actions)) {
  setObjectName("main");
  setWindowTitle(QStringLiteral("Kovra"));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kDefaultWidth, kDefaultHeight);
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);

  visibility_ = std::make_unique<SurfaceVisibility>(
      this, context_.executor,
      ArayuzSurfaceHandler::Targets{context_.store, context_.dashboard, &context_.detail, &context_.navigation},
      SurfaceVisibility::Options{Surface::mainWindow, context_.tellsOthers, context_.forceVisible});
  onScreenToken_ = visibility_->isOnScreen().subscribe([this](const bool& shown) { setContentShown(shown); });
}

MainWindow::~MainWindow() {
  onScreenToken_.cancel();
  setContentShown(false);
  visibility_.reset();
}

void MainWindow::bringForward() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  visibility_->noteBroughtForward();
}

void MainWindow::setContentShown(bool shown) {
  if (shown == (content_ != nullptr)) return;
  if (!shown) {
    // A clear window: the pages and their observations go. Closed, the window also gives up its
    // native window and the picture of it the display kept (made again when it opens), the
    // cached pictures of its pages, and the heap they held goes back to the system (the
    // allocator would otherwise keep the freed pages for the process).
    delete content_;
    content_ = nullptr;
    if (!isVisible()) {
      destroy();
      QPixmapCache::clear();
    }
    ::malloc_trim(0);
    return;
  }
  using Target = ArayuzOpenOverride::Target;
  if (context_.openTarget == Target::settings) {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(new SettingsForm(context_.settings, scroll));
    content_ = scroll;
  } else if (context_.openTarget == Target::menupanel) {
    content_ = new PanelInspection(context_, actions_, this);
  } else {
    content_ = new NavigationStack(context_, actions_.openSettings, this);
  }
  layout_->addWidget(content_);
}

}  // namespace kovra::ui
