#pragma once
// Where the scroll area's viewport lies over a list of rows, and word when that may have changed:
// the content scrolled, the viewport was resized, the list moved inside its page or its rows
// were placed again. Lists use it to fill only the rows a user can see.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

namespace kovra::ui {

class ViewportWatch : public QObject {
  Q_OBJECT
 public:
  // `rows`: the widget the rows are children of; `changed` runs after what is in view may have
  // changed.
  ViewportWatch(QWidget* rows, std::function<void()> changed);
  // Finds the scroll area around the rows and starts watching; call once the rows are in their
  // page (when the list is first shown). Does nothing outside a scroll area.
  void attach();
  // The viewport in the rows' coordinates. None when every row counts as in view: outside a
  // scroll area, or not on screen.
  std::optional<QRect> viewportRect() const;
  // Whether a row at `geometry` (in the rows' coordinates) can be seen.
  bool inView(const QRect& geometry) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* rows_;
  QPointer<QWidget> viewport_;
  std::function<void()> changed_;
};

}  // namespace kovra::ui
