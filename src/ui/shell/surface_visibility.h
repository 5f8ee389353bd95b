#pragma once
// The visibility of one surface (the main window or the menu panel), fed from its Qt window:
// show and hide, minimising, exposure (a window that is not exposed is covered), closing,
// activation, and the application's state. The decisions and the content's delayed release are
// the toolkit-free tracker's and handler's; this only translates Qt's events for them.

#include <QObject>
#include <QPointer>

#include "present/surface_handler.h"
#include "present/visibility.h"

class QWidget;
class QWindow;

namespace kovra::ui {

class SurfaceVisibility final : public QObject {
  Q_OBJECT

 public:
  struct Options {
    Surface surface = Surface::mainWindow;
    // Tell the store and the dashboard model (not under tests, unless a test asks for it).
    bool tellsOthers = true;
    bool forceVisible = false;
  };

  // `window` is the surface's top-level widget and must outlive this object.
  SurfaceVisibility(QWidget* window, Executor& executor, ArayuzSurfaceHandler::Targets targets, Options options);
  ~SurfaceVisibility() override;

  // While false the surface shows an empty, clear content.
  const Observable<bool>& isOnScreen() const { return handler_.isOnScreen(); }
  // The window was brought forward on request: it counts as becoming key.
  void noteBroughtForward();
  ArayuzWindowFacts facts() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void watchHandle();
  void feed(ArayuzWindowEvent event);

  QWidget* window_;
  Options options_;
  ArayuzSurfaceHandler handler_;
  ArayuzVisibilityTracker tracker_;
  QPointer<QWindow> handle_;
  // Between a close request and the hide that follows it, the window is still visible and may
  // lose activation or exposure: those must not count as showing it again.
  bool closing_ = false;
};

}  // namespace kovra::ui
