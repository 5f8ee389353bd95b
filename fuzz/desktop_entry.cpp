// The .desktop file, key file and Exec parsers against arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  using namespace kovra::linux_proc;
  if (auto e = parseDesktopEntry(text)) {
    (void)execProgram(e->exec);
    for (const auto& arg : splitExec(e->exec)) {
      if (arg.empty()) __builtin_trap();
    }
  }
  (void)keyFileValue(text, "Application", "name");
  (void)execProgram(text);
  return 0;
}
