#pragma once
// The square tray icon: the memory share as a ring, or an ECG trace while there is no share to
// show. One light colour with a dark rim, so it reads on light and dark panels alike at 16 px.

#include <QImage>

#include <array>
#include <optional>

namespace kovra::ui {

// What the icon shows; the pictures are redrawn only when this changes.
struct TrayIconContent {
  std::optional<int> memoryPercent;  // 0...100; absent: the ECG trace
  bool operator==(const TrayIconContent&) const = default;
};

// The sizes handed to panels, in pixels.
inline constexpr std::array<int, 5> kTrayIconSizes = {16, 22, 24, 32, 48};

// A `size`×`size` ARGB32 picture.
QImage trayIconImage(const TrayIconContent& content, int size);

}  // namespace kovra::ui
