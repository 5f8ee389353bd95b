#pragma once
// The menu panel: a frameless popup 420 px wide that drops from the tray item at the click
// point and stays inside the screen's available area. A click outside or Escape closes it.
// While its content is released (half a second after it hides) it keeps a clear block of the
// content's last measured height.

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <memory>

#include "ui/shell/collaborators.h"
#include "ui/shell/shell_context.h"

class QScreen;
class QVBoxLayout;

namespace kovra::ui {

class SurfaceVisibility;

// Where a panel of `size` goes for a click at `click`: centred on it horizontally, below it when
// the click is in the upper half of the area (a top panel), above it otherwise; always inside
// `available`, whatever the click's coordinates.
QRect placePanel(QPoint click, QSize size, QRect available);
// The screen holding the click, or the one nearest to it.
QScreen* screenForClick(QPoint click);

class MenuPanel final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 420;
  static constexpr int kInitialHeight = 380;

  MenuPanel(ShellContext& context, PanelActions actions, QWidget* parent = nullptr);
  ~MenuPanel() override;

  // Opens at `globalPos`, or closes when open (or when it closed a moment ago by the same click
  // that reached the tray item).
  void toggleAt(QPoint globalPos);
  void showAt(QPoint globalPos);

  QWidget* content() const { return content_; }
  int placeholderHeight() const { return lastHeight_; }
  SurfaceVisibility& visibility() { return *visibility_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void setContentShown(bool shown);
  void place();
  void onScreenRemoved(QScreen* screen);

  ShellContext& context_;
  PanelActions actions_;
  QVBoxLayout* layout_;
  QWidget* content_ = nullptr;
  QWidget* placeholder_ = nullptr;
  int lastHeight_ = kInitialHeight;
  QPoint anchor_;
  QElapsedTimer sinceHidden_;
  std::unique_ptr<SurfaceVisibility> visibility_;
  ObservationToken onScreenToken_;
};

}  // namespace kovra::ui
