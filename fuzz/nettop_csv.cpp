// The macOS traffic tool's CSV: any bytes must parse or fail cleanly, and every row must be sane.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/utf8.h"
#include "platform/macos/nettop_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = kovra::parseNettopOutput(text);
  if (parsed) {
    for (const auto& [pid, row] : parsed->rows) {
      if (pid < 1 || row.pid != pid || !kovra::isValidUtf8(row.name)) std::abort();
    }
    if (parsed->skippedLines < 0) std::abort();
    // A pid listed more than once is never a row.
    for (int32_t pid : parsed->conflicting) {
      if (parsed->rows.contains(pid)) std::abort();
    }
  }
  // The row and header readers on their own, with the raw (possibly invalid) bytes.
  (void)kovra::parseNettopRow(text, size % 2 == 0);
  (void)kovra::nettopHeaderOrder(text);
  return 0;
}
