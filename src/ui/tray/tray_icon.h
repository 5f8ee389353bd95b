#pragma once
// The square tray icon: the memory share as a gauge, or an ECG trace while there is no share to
// show. One light colour with a dark rim, so it reads on light and dark panels alike at 16 px;
// dark ink where the desktop says the panel is light.

#include <QImage>

#include <array>
#include <deque>
#include <utility>
#include <vector>
#include <optional>

namespace kovra::ui {

// What the icon shows; the pictures are redrawn only when this changes.
struct TrayIconContent {
  std::optional<int> memoryPercent;  // 0...100; absent: the ECG trace
  bool darkInk = false;
  bool operator==(const TrayIconContent&) const = default;
};

// The sizes handed to panels, in pixels.
inline constexpr std::array<int, 5> kTrayIconSizes = {16, 22, 24, 32, 48};

// A `size`×`size` ARGB32 picture.
QImage trayIconImage(const TrayIconContent& content, int size);

// The pictures of the last few contents, one per size in kTrayIconSizes. Memory use wavers
// around a percent boundary for minutes at a time, and drawing the ring with antialiasing wakes
// the painter's helper threads, so a content seen recently is not drawn again.
class TrayIconPictures {
 public:
  static constexpr size_t kKept = 8;

  const std::vector<QImage>& pictures(const TrayIconContent& content);
  // How many contents were drawn so far (for tests).
  size_t drawnCount() const { return drawn_; }

 private:
  std::deque<std::pair<TrayIconContent, std::vector<QImage>>> kept_;  // most recent first
  size_t drawn_ = 0;
};

}  // namespace kovra::ui
