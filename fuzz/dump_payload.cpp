// Reads arbitrary bytes as a dump document, and re-encodes whatever reads back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/dump.h"
#include "core/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)kovra::parseIsoDate(text);
  (void)kovra::sanitizeUtf8(text);
  auto json = kovra::Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return 0;
  (void)kovra::encodePrettySorted(json);
  if (auto payload = kovra::fromJson<kovra::DumpPayload>(json)) {
    auto again = kovra::Dump::encode(*payload);
    if (!again.ok()) return 0;
    auto back = kovra::fromJson<kovra::DumpPayload>(kovra::Json::parse(again.value()));
    if (!back) __builtin_trap();  // what we write must read back
  }
  return 0;
}
