#include "ui/shell/menu_panel.h"

#include <malloc.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <limits>

#include "core/log.h"
#include "ui/shell/surface_visibility.h"

namespace kovra::ui {

namespace {

// A close by a click outside that lands on the tray item arrives just before the item's own
// activation; within this time the activation only confirms the close.
constexpr qint64 kReopenGuardMs = 300;

}  // namespace

QRect placePanel(QPoint click, QSize size, QRect available) {
  // Coordinates come from other programs: work in 64 bits and keep the click near the area, so
  // no value they send can overflow.
  const auto near = [](qint64 v, qint64 lo, qint64 hi) { return std::clamp(v, lo - 1, hi + 1); };
  const qint64 cx = near(click.x(), available.left(), available.right());
  const qint64 cy = near(click.y(), available.top(), available.bottom());
  const qint64 w = std::max(0, size.width());
  const qint64 h = std::max(0, size.height());
  const bool below = cy < available.center().y();
  qint64 x = cx - w / 2;
  qint64 y = below ? cy : cy - h;
  x = std::clamp<qint64>(x, available.left(), std::max<qint64>(available.left(), available.right() + 1 - w));
  y = std::clamp<qint64>(y, available.top(), std::max<qint64>(available.top(), available.bottom() + 1 - h));
  return {QPoint(static_cast<int>(x), static_cast<int>(y)), size};
}

QScreen* screenForClick(QPoint click) {
  if (QScreen* exact = QGuiApplication::screenAt(click)) return exact;
  // A click just outside every screen (panels report their own edge): the nearest screen.
  QScreen* best = QGuiApplication::primaryScreen();
  qint64 bestDistance = std::numeric_limits<qint64>::max();
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    const qint64 dx = std::max<qint64>({qint64{g.left()} - click.x(), 0, qint64{click.x()} - g.right()});
    const qint64 dy = std::max<qint64>({qint64{g.top()} - click.y(), 0, qint64{click.y()} - g.bottom()});
    const qint64 distance = dx * dx + dy * dy;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = screen;
    }
  }
  return best;
}

namespace {

// Wayland gives a popup without a parent no place of its own: there the panel is a frameless
// window the compositor places, closed when it loses focus.
bool onWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

Qt::WindowFlags panelFlags() {
  return onWayland() ? Qt::Tool | Qt::FramelessWindowHint : Qt::Popup | Qt::FramelessWindowHint;
}

}  // namespace

MenuPanel::MenuPanel(ShellContext& context, PanelActions actions, QWidget* parent)
    : QWidget(parent, panelFlags()), context_(context), actions_(std::move(actions)) {
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
    // A child added to a shown window stays hidden until the next turn of the event loop; the
    // fixed-size layout would shrink the window to nothing meanwhile, and a popup that is
    // unmapped loses its grab and closes.
    content_->show();
    lastHeight_ = std::max(1, content_->sizeHint().height());
  } else {
    if (content_) lastHeight_ = std::max(1, content_->height() > 0 ? content_->height() : lastHeight_);
    delete content_;
    content_ = nullptr;
    placeholder_ = new QWidget(this);
    placeholder_->setFixedSize(kWidth, lastHeight_);
    layout_->addWidget(placeholder_);
    placeholder_->show();
    // The heap the content held goes back to the system.
    ::malloc_trim(0);
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
  QScreen* screen = screenForClick(anchor_);
  if (screen == nullptr) return;
  if (!isVisible()) setScreen(screen);
  const QRect target = placePanel(anchor_, size(), screen->availableGeometry());
  if (target.topLeft() != pos()) move(target.topLeft());
}

void MenuPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The content may grow after it was placed (a late reading, a longer text): keep the panel
  // inside the screen.
  if (isVisible()) place();
}

void MenuPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MenuPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !windowFlags().testFlag(Qt::Popup) && isVisible() &&
      !isActiveWindow()) {
    hide();
  }
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
