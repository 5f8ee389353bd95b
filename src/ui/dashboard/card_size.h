#pragma once
// Cards, the headline band and the battery strip come in two sizes: full in the main window and
// compact in the menu panel, with the same content in smaller type.

#include <QFont>
#include <QString>

#include <string>
#include <string_view>

#include "ui/common/look.h"

namespace kovra::ui {

enum class ArayuzCardSize { full, compact };

// Fonts and spacings of one size, derived from the widget's own font.
struct CardMetrics {
  ArayuzCardSize size = ArayuzCardSize::full;
  int padding = Look::kGap4;
  int spacing = Look::kGap2;
  int radius = Look::kRadius;
  int symbolPx = 16;
  int sparkHeight = 40;

  static CardMetrics of(ArayuzCardSize size);
  bool compact() const { return size == ArayuzCardSize::compact; }

  QFont titleFont(const QFont& base) const;
  QFont bigFont(const QFont& base) const;
  QFont bodyFont(const QFont& base) const;
  QFont captionFont(const QFont& base) const;
};

inline QString qstr(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace kovra::ui
