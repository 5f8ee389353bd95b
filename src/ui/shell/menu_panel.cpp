#include "ui/shell/menu_panel.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include "core/log.h"
#include "ui/shell/surface_visibility.h"

namespace kovra::ui {

namespace {

// A close by a click outside that lands on the tray item arrives just before the item's own
// activation; within this time the activation only confirms the close.
constexpr qint64 kReopenGuardMs = 300;

}  // namespace

QRect placePanel(QPoint click, QSize size, QRect available) {
  int x = click.x() - size.width() / 2;
  const bool below = click.y() < available.center().y();
  int y = below ? click.y() : click.y() - size.height();
  x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
  y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
  return {QPoint(x, y), size};
}

MenuPanel::MenuPanel(ShellContext& context, PanelActions actions, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), context_(context), actions_(std::move(actions)) {
  setObjectName("menupanel");
  setWindowTitle(QStringLiteral("Kovra"));
  setFixedWidth(kWidth);
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSizeConstraint(QLayout::SetFixedSize);
  setContentShown(false);

  visibility_ = std::make_unique<SurfaceVisibility>(
      this, context_.executor,
      ArayuzSurfaceHandler::Targets{context_.store, context_.dashboard, nullptr, nullptr},
      SurfaceVisibility::Options{Surface::menuPanel, context_.tellsOthers, false});
  onScreenToken_ = visibility_->isOnScreen().subscribe([this](const bool& shown) { setContentShown(shown); });

  connect(qApp, &QGuiApplication::screenRemoved, this, &MenuPanel::onScreenRemoved);
}

MenuPanel::~MenuPanel() {
  onScreenToken_.cancel();
  visibility_.reset();
}

void MenuPanel::setContentShown(bool shown) {
  if (shown ? content_ != nullptr : placeholder_ != nullptr) return;
  if (shown) {
    delete placeholder_;
    placeholder_ = nullptr;
    content_ = makeMenuPanelWidget(context_, actions_, this);
    content_->setFixedWidth(kWidth);
    layout_->addWidget(content_);
    lastHeight_ = std::max(1, content_->sizeHint().height());
  } else {
    if (content_) lastHeight_ = std::max(1, content_->height() > 0 ? content_->height() : lastHeight_);
    delete content_;
    content_ = nullptr;
    placeholder_ = new QWidget(this);
    placeholder_->setFixedSize(kWidth, lastHeight_);
    layout_->addWidget(placeholder_);
  }
  adjustSize();
  if (isVisible()) place();
}

void MenuPanel::toggleAt(QPoint globalPos) {
  if (isVisible()) {
    hide();
    return;
  }
  if (sinceHidden_.isValid() && sinceHidden_.elapsed() < kReopenGuardMs) {
    sinceHidden_.invalidate();
    return;
  }
  showAt(globalPos);
}

void MenuPanel::showAt(QPoint globalPos) {
  anchor_ = globalPos;
  adjustSize();
  place();
  show();
  raise();
  activateWindow();
}

void MenuPanel::place() {
  QScreen* screen = QGuiApplication::screenAt(anchor_);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  setGeometry(placePanel(anchor_, size(), screen->availableGeometry()));
}

void MenuPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MenuPanel::hideEvent(QHideEvent* event) {
  sinceHidden_.start();
  QWidget::hideEvent(event);
}

void MenuPanel::onScreenRemoved(QScreen* screen) {
  if (!isVisible()) return;
  QWindow* handle = windowHandle();
  if (handle && handle->screen() != screen && QGuiApplication::screenAt(anchor_) != nullptr) return;
  Log::ui.info("Menü panelinin ekranı kaldırıldı; panel kapatılıyor.");
  hide();
  sinceHidden_.invalidate();
}

}  // namespace kovra::ui
