#pragma once
// Whether a window system is there to show windows on, decided before Qt is started (Qt would
// abort the process when its platform plugin finds no display).

namespace kovra::ui {

// A display named in the environment (DISPLAY or WAYLAND_DISPLAY, non-empty), or a Qt platform
// chosen explicitly that needs none (offscreen, minimal, vnc and the like).
bool hasDisplayEnvironment(const char* display, const char* waylandDisplay, const char* qtPlatform);
bool hasDisplayEnvironment();

inline constexpr const char* kNoDisplayMessage =
    "kovra: ekran bulunamadı (DISPLAY ve WAYLAND_DISPLAY tanımlı değil); ekransız ölçüm için: kovra --dump\n";
// A printf format: %s is Qt's reason.
inline constexpr const char* kDisplayUnreachableMessage =
    "kovra: ekrana bağlanılamadı (%s); ekransız ölçüm için: kovra --dump\n";

}  // namespace kovra::ui
