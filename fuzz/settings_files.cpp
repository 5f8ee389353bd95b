// Settings documents and autostart entries come from files the user (or anyone with access to
// the home folder) may have edited. Neither parser may crash, and hiding an entry must always
// give one that does not start the program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logic/json_defaults.h"
#include "logic/xdg_autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (auto doc = kovra::parseSettingsDocument(text)) {
    const std::string again = doc->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (!kovra::parseSettingsDocument(again)) std::abort();
  }

  (void)kovra::parseAutostartEntry(text);
  const std::string hidden = kovra::hiddenAutostartEntry(text);
  if (kovra::parseAutostartEntry(hidden).isEnabled()) std::abort();
  return 0;
}
