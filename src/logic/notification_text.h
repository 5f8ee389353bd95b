#pragma once
// The notices' identifiers, titles and bodies.

#include <optional>
#include <string>

#include "core/records.h"

namespace kovra {

struct MantikNotice {
  std::string identifier;
  std::string title;
  std::string body;
  bool operator==(const MantikNotice&) const = default;
};

struct MantikNotificationText {
  static constexpr const char* memoryIdentifier = "kovra.memory.critical";
  static constexpr const char* diskIdentifier = "kovra.disk.critical";

  static MantikNotice memory(const std::optional<AppUsage>& topApp);
  static MantikNotice disk(const std::optional<DiskSnapshot>& disk);
};

}  // namespace kovra
