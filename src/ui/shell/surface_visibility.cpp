#include "ui/shell/surface_visibility.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace kovra::ui {

SurfaceVisibility::SurfaceVisibility(QWidget* window, Executor& executor, ArayuzSurfaceHandler::Targets targets,
                                     Options options)
    : QObject(nullptr),
      window_(window),
      options_(options),
      handler_(options.surface, executor, targets, options.tellsOthers),
      tracker_(executor, [this](bool visible) { handler_.onChange(visible); },
               options.forceVisible && options.surface == Surface::mainWindow) {
  window_->installEventFilter(this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    const bool hidden = state == Qt::ApplicationHidden || state == Qt::ApplicationSuspended;
    feed(hidden ? ArayuzWindowEvent::applicationHidden : ArayuzWindowEvent::applicationUnhidden);
  });
  watchHandle();
  tracker_.moveToWindow([this] { return facts(); });
}

SurfaceVisibility::~SurfaceVisibility() {
  if (window_) window_->removeEventFilter(this);
  if (handle_) handle_->removeEventFilter(this);
}

ArayuzWindowFacts SurfaceVisibility::facts() const {
  ArayuzWindowFacts f;
  f.isPanel = options_.surface == Surface::menuPanel;
  f.level = 0;
  QWindow* handle = window_->windowHandle();
  f.isMiniaturized = window_->isMinimized() || (handle && handle->visibility() == QWindow::Minimized);
  f.isVisible = window_->isVisible();
  f.occlusionVisible = handle && handle->isExposed();
  return f;
}

void SurfaceVisibility::noteBroughtForward() { feed(ArayuzWindowEvent::didBecomeKey); }

void SurfaceVisibility::feed(ArayuzWindowEvent event) {
  if (closing_ && event != ArayuzWindowEvent::willClose) return;
  tracker_.handle(event);
}

void SurfaceVisibility::watchHandle() {
  QWindow* handle = window_->windowHandle();
  if (handle == handle_) return;
  if (handle_) handle_->removeEventFilter(this);
  handle_ = handle;
  if (!handle_) return;
  handle_->installEventFilter(this);
  connect(handle_, &QWindow::visibilityChanged, this, [this](QWindow::Visibility v) {
    feed(v == QWindow::Minimized ? ArayuzWindowEvent::didMiniaturize : ArayuzWindowEvent::occlusionChanged);
  });
}

bool SurfaceVisibility::eventFilter(QObject* watched, QEvent* event) {
  if (watched == handle_ && event->type() == QEvent::Expose) {
    // Qt has updated isExposed() before the event reaches us.
    feed(ArayuzWindowEvent::occlusionChanged);
    return false;
  }
  if (watched != window_) return false;
  switch (event->type()) {
    case QEvent::Show:
      watchHandle();
      feed(ArayuzWindowEvent::occlusionChanged);
      break;
    case QEvent::Hide:
      closing_ = false;
      feed(ArayuzWindowEvent::occlusionChanged);
      break;
    case QEvent::Close:
      feed(ArayuzWindowEvent::willClose);
      closing_ = true;
      // A close the window refused leaves it open: decide again once the close is over.
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (!closing_) return;
            closing_ = false;
            feed(ArayuzWindowEvent::occlusionChanged);
          },
          Qt::QueuedConnection);
      break;
    case QEvent::WindowStateChange:
      feed(window_->isMinimized() ? ArayuzWindowEvent::didMiniaturize : ArayuzWindowEvent::didDeminiaturize);
      break;
    case QEvent::WindowActivate:
      feed(ArayuzWindowEvent::didBecomeKey);
      break;
    case QEvent::WindowDeactivate:
      feed(ArayuzWindowEvent::didResignKey);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace kovra::ui
