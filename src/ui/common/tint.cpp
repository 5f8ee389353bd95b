#include "ui/common/tint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLabel>

#include <string>

#include "ui/common/colors.h"
#include "ui/common/symbols.h"

namespace kovra::ui {

namespace {

// Runs `apply` on its widget now and whenever the widget's palette, parent or screen changes. One
// follower per purpose and widget: a new one replaces the old.
class Follower final : public QObject {
 public:
  Follower(QWidget* widget, const char* purpose, std::function<void(QWidget*)> apply)
      : QObject(widget), widget_(widget), apply_(std::move(apply)) {
    setObjectName(QString::fromLatin1(purpose));
    widget->installEventFilter(this);
    run();
  }

  static void attach(QWidget* widget, const char* purpose, std::function<void(QWidget*)> apply) {
    const QString name = QString::fromLatin1(purpose);
    for (QObject* child : widget->children()) {
      if (auto* old = dynamic_cast<Follower*>(child); old && old->objectName() == name) {
        old->apply_ = std::move(apply);
        old->run();
        return;
      }
    }
    new Follower(widget, purpose, std::move(apply));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_) {
      switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::ParentChange:
        case QEvent::ScreenChangeInternal:
          run();
          break;
        default: break;
      }
    }
    return false;
  }

 private:
  void run() {
    if (running_) return;
    running_ = true;
    apply_(widget_);
    running_ = false;
  }

  QWidget* widget_;
  std::function<void(QWidget*)> apply_;
  bool running_ = false;
};

// The palette a widget's own text colour is worked out from: its parent's (the widget's own has
// the worked-out colour in it), or the application's for a widget without one.
QPalette naturalPalette(const QWidget* widget) {
  return widget->parentWidget() ? widget->parentWidget()->palette() : QApplication::palette();
}

// Labels and frames draw their text in the window text colour, buttons in the button text colour.
void paintText(QWidget* widget, const QColor& colour) {
  if (!qobject_cast<QAbstractButton*>(widget)) widget->setForegroundRole(QPalette::WindowText);
  QPalette p = widget->palette();
  if (p.color(QPalette::WindowText) == colour && p.color(QPalette::ButtonText) == colour) return;
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  widget->setPalette(p);
}

}  // namespace

QColor toneColor(Tone tone, const QPalette& palette) {
  switch (tone) {
    case Tone::primary: return palette.color(QPalette::WindowText);
    case Tone::secondary: return secondaryTextColor(palette);
    case Tone::tertiary: {
      QColor c = palette.color(QPalette::WindowText);
      c.setAlphaF(0.42f);
      return c;
    }
  }
  return palette.color(QPalette::WindowText);
}

void setTone(QWidget* widget, Tone tone) {
  setTextColor(widget, [tone](const QPalette& p) { return toneColor(tone, p); });
}

void setTextColor(QWidget* widget, PaletteColor colour) {
  Follower::attach(widget, "kovra-text-colour",
                   [colour = std::move(colour)](QWidget* w) { paintText(w, colour(naturalPalette(w))); });
}

void showSymbol(QLabel* label, std::string_view symbol, PaletteColor tint, int px) {
  label->setFixedSize(px, px);
  Follower::attach(label, "kovra-picture", [name = std::string(symbol), tint = std::move(tint), px](QWidget* w) {
    auto* l = static_cast<QLabel*>(w);
    l->setPixmap(symbolPixmap(name, tint(l->palette()), px, l->devicePixelRatioF()));
  });
}

void showIcon(QLabel* label, const QIcon& icon, int px) {
  label->setFixedSize(px, px);
  if (icon.isMask() && !icon.name().isEmpty()) {
    showSymbol(label, icon.name().toStdString(), [](const QPalette& p) { return secondaryTextColor(p); }, px);
    return;
  }
  Follower::attach(label, "kovra-picture", [icon, px](QWidget* w) {
    auto* l = static_cast<QLabel*>(w);
    l->setPixmap(icon.pixmap(QSize(px, px), l->devicePixelRatioF()));
  });
}

void setSymbolIcon(QAbstractButton* button, std::string_view symbol) {
  Follower::attach(button, "kovra-button-icon", [name = std::string(symbol)](QWidget* w) {
    auto* b = static_cast<QAbstractButton*>(w);
    b->setIcon(name.empty() ? QIcon() : symbolIcon(name, b->palette().color(QPalette::ButtonText)));
  });
}

}  // namespace kovra::ui
