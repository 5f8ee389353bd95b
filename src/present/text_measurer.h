#pragma once
// What the menu bar drawing needs from a toolkit's fonts: the menu bar's font size, the width of
// a text in the monospaced-digit system font, and the font's vertical metrics. The front end
// supplies the real one; tests use the fixed-width measurer below.

#include <string_view>

namespace kovra {

struct ArayuzFontMetrics {
  double ascender = 0;
  double descender = 0;  // below the baseline, so usually negative
  double leading = 0;
};

struct ArayuzRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  bool operator==(const ArayuzRect&) const = default;
};

class ArayuzTextMeasurer {
 public:
  virtual ~ArayuzTextMeasurer() = default;
  // Point size of the menu bar's font right now (it may change with the system's settings).
  virtual double menuBarFontSize() const = 0;
  // Width of `text` in the monospaced-digit system font at `fontSize`, regular weight.
  virtual double textWidth(std::string_view text, double fontSize) const = 0;
  virtual ArayuzFontMetrics metrics(double fontSize) const = 0;
};

// Draws text in black with the same font the measurer measures.
class ArayuzTextPainter {
 public:
  virtual ~ArayuzTextPainter() = default;
  virtual void drawText(std::string_view text, ArayuzRect rect, double fontSize) = 0;
};

// Every code point is `advance × fontSize` wide; for tests and headless runs.
class ArayuzFixedWidthMeasurer final : public ArayuzTextMeasurer {
 public:
  explicit ArayuzFixedWidthMeasurer(double fontSize = 13, double advance = 0.6)
      : fontSize_(fontSize), advance_(advance) {}
  void setMenuBarFontSize(double size) { fontSize_ = size; }
  double menuBarFontSize() const override { return fontSize_; }
  double textWidth(std::string_view text, double fontSize) const override;
  ArayuzFontMetrics metrics(double fontSize) const override;

 private:
  double fontSize_;
  double advance_;
};

}  // namespace kovra
