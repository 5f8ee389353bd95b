#pragma once
// A one-line label that shortens its text with "…" when it does not fit; screen readers and the
// tooltip get the whole text.

#include <QLabel>

namespace kovra::ui {

class ElidingLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidingLabel(QWidget* parent = nullptr);

  void setFullText(const QString& text);
  const QString& fullText() const { return full_; }

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void elide();

  QString full_;
};

}  // namespace kovra::ui
