#include "present/text_measurer.h"

namespace kovra {

double ArayuzFixedWidthMeasurer::textWidth(std::string_view text, double fontSize) const {
  size_t codePoints = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++codePoints;  // count lead bytes only
  }
  return static_cast<double>(codePoints) * advance_ * fontSize;
}

ArayuzFontMetrics ArayuzFixedWidthMeasurer::metrics(double fontSize) const {
  return {fontSize * 0.95, -fontSize * 0.25, 0};
}

}  // namespace kovra
