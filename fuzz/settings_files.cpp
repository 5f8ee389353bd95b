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
    // Written back, it reads the same: as many members, each value the same.
    const std::string again = doc->text();
    auto reread = kovra::parseSettingsDocument(again);
    if (!reread || reread->size() != doc->size() || reread->text() != again) std::abort();
    doc->set("kovra.rateUnit", "bits");
    auto changed = kovra::parseSettingsDocument(doc->text());
    if (!changed || changed->find("kovra.rateUnit") == nullptr || *changed->find("kovra.rateUnit") != "bits") std::abort();
  }

  (void)kovra::parseAutostartEntry(text);
  const std::string hidden = kovra::hiddenAutostartEntry(text);
  if (kovra::parseAutostartEntry(hidden).isEnabled()) std::abort();
  return 0;
}
