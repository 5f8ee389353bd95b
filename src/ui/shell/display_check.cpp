#include "ui/shell/display_check.h"

#include <cstdlib>
#include <string_view>

namespace kovra::ui {

namespace {

bool nonEmpty(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

bool hasDisplayEnvironment(const char* display, const char* waylandDisplay, const char* qtPlatform) {
  if (nonEmpty(display) || nonEmpty(waylandDisplay)) return true;
  if (!nonEmpty(qtPlatform)) return false;
  // "offscreen", "minimal:…", "vnc:size=…": the name before the first colon.
  std::string_view platform(qtPlatform);
  platform = platform.substr(0, platform.find(':'));
  for (std::string_view headless : {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs"}) {
    if (platform == headless) return true;
  }
  return false;
}

bool hasDisplayEnvironment() {
  return hasDisplayEnvironment(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
}

}  // namespace kovra::ui
