#pragma once
// The building blocks every detail page is made of: the scrolling frame, the header, titled
// sections, labelled values, big figures with a reserved width, rate columns, proportion bars
// and tinted notice boxes.

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include <optional>
#include <string>

#include "core/records.h"
#include "present/palette.h"

class QVBoxLayout;
class QHBoxLayout;

namespace kovra::ui {

class StatusBadgeView;

// A scroll area whose content is a column 20 pixels apart, at most 860 wide, leading-aligned,
// ending in a 1-pixel marker ("arayuz-denetim-alt") that the bottom-scroll override scrolls to.
class DetailScaffoldView : public QScrollArea {
  Q_OBJECT
 public:
  explicit DetailScaffoldView(const QString& title, QWidget* parent = nullptr);
  void addContent(QWidget* widget);
  QWidget* bottomMarker() const { return marker_; }
  void scrollToBottom();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* column_ = nullptr;
  QVBoxLayout* columnLayout_ = nullptr;
  QWidget* marker_ = nullptr;
  bool shownOnce_ = false;
};

// The card's title with the status badge, the value view and the verdict sentence.
class DetailHeaderView : public QWidget {
  Q_OBJECT
 public:
  DetailHeaderView(CardKind card, QWidget* valueView, QWidget* parent = nullptr);
  void setVerdict(const Verdict& verdict);
  QLabel* sentenceLabel() const { return sentence_; }

 private:
  StatusBadgeView* badge_;
  QLabel* sentence_;
};

// A titled group; the optional accessory sits at the title's trailing end.
class DetailSectionView : public QWidget {
  Q_OBJECT
 public:
  explicit DetailSectionView(const QString& title, QWidget* accessory = nullptr, QWidget* parent = nullptr);
  QVBoxLayout* contentLayout() const { return content_; }
  void addContent(QWidget* widget);
  void setAccessory(QWidget* accessory);
  QLabel* titleLabel() const { return title_; }

 private:
  QLabel* title_;
  QHBoxLayout* titleRow_;
  QVBoxLayout* content_;
};

// One labelled value, the value right-aligned.
class KeyValueRowView : public QWidget {
  Q_OBJECT
 public:
  KeyValueRowView(const QString& label, const QString& value, QWidget* parent = nullptr);
  void setValue(const QString& value);
  QString value() const { return value_->text(); }
  QLabel* valueLabel() const { return value_; }

 private:
  QLabel* label_;
  QLabel* value_;
};

// A large figure with a smaller secondary text on the figure's baseline, right after it. The
// template reserves the width of a sample text so that changing digits do not move what follows
// the view (the caption moves with the figure's text; the view's width stays).
class BigValueView : public QWidget {
  Q_OBJECT
 public:
  BigValueView(const QString& primary, const QString& secondary, int pixelSize, const QString& widthTemplate = {},
               QWidget* parent = nullptr);
  void setPrimary(const QString& text);
  void setSecondary(const QString& text);
  void setWidthTemplate(const QString& text);
  QLabel* primaryLabel() const { return primary_; }
  QLabel* secondaryLabel() const { return secondary_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  void place();

  QLabel* primary_;
  QLabel* secondary_;
  int reserved_ = 0;
  QSize hint_;
};

enum class ArayuzRateDirection { download, upload };
QString directionTitle(ArayuzRateDirection direction);
ArayuzPalette directionColour(ArayuzRateDirection direction);
const char* directionSymbol(ArayuzRateDirection direction);

// A rate under its direction's label and symbol.
class RateColumnView : public QWidget {
  Q_OBJECT
 public:
  RateColumnView(ArayuzRateDirection direction, const QString& text, int pixelSize, const QString& widthTemplate = {},
                 QWidget* parent = nullptr);
  void setText(const QString& text);
  void setWidthTemplate(const QString& text);
  QLabel* valueLabel() const { return value_; }

 private:
  QLabel* value_;
  int reserved_ = 0;
};

// A bar on the track colour, filled to the fraction; no fill without one.
class ProportionBarView : public QWidget {
  Q_OBJECT
 public:
  ProportionBarView(std::optional<double> fraction, ArayuzPalette colour, int height, QWidget* parent = nullptr);
  void setFraction(std::optional<double> fraction);
  void setColour(ArayuzPalette colour);
  void setFillColour(std::optional<QColor> colour);  // overrides the palette colour
  std::optional<double> fraction() const { return fraction_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<double> fraction_;
  ArayuzPalette colour_;
  std::optional<QColor> fillOverride_;
  int height_;
};

// A tinted box with a symbol and a sentence.
class NoticeBoxView : public QFrame {
  Q_OBJECT
 public:
  NoticeBoxView(const char* symbol, ArayuzPalette tint, const QString& text, QWidget* parent = nullptr);
  QLabel* textLabel() const { return text_; }
  // Adds a widget (such as a row of buttons) below the sentence.
  void addBelow(QWidget* widget);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ArayuzPalette tint_;
  QLabel* text_;
  QVBoxLayout* column_;
};

}  // namespace kovra::ui
