#pragma once
// The page sentences that name the operating system or its file manager, one set per platform.

#include <cstdint>
#include <string>

namespace kovra::ui {

enum class TextPlatform { macOS, linuxDesktop };

struct PlatformTexts {
  std::string memoryNote;
  std::string unreadableFooterTail;  // after "Okunamayan sistem süreçleri: " and the count
  std::string diskNote;
  std::string revealButton;
  std::string resultNote;
  bool showsFullDiskAccess = false;
  std::string labelSection;        // the settings section for what the label beside the icon shows
  std::string labelSectionFooter;  // the access notices exist only where access can be missing
};

const PlatformTexts& platformTexts(TextPlatform platform);
// The set for the platform this program was built for.
TextPlatform currentTextPlatform();
inline const PlatformTexts& platformTexts() { return platformTexts(currentTextPlatform()); }

// "Okunamayan sistem süreçleri: " + count + the platform's tail.
std::string unreadableFooter(int64_t count, TextPlatform platform = currentTextPlatform());

}  // namespace kovra::ui
