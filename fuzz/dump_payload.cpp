// Reads arbitrary bytes as a dump document, and re-encodes whatever reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/dump.h"
#include "core/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)kovra::parseIsoDate(text);
  (void)kovra::sanitizeUtf8(text);
  auto json = kovra::Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return 0;
  (void)kovra::encodePrettySorted(json);
  if (!json.is_object()) return 0;
  // A document read back as a payload: every reading by its key, the error lines and the time.
  kovra::DumpPayload payload;
  for (const auto& [key, value] : json.items()) {
    if (key != "errors" && key != "timestamp") payload.readings[key] = value;
  }
  if (auto errors = json.find("errors"); errors != json.end()) {
    if (auto lines = kovra::fromJson<std::vector<std::string>>(*errors)) payload.errors = *lines;
  }
  if (auto stamp = json.find("timestamp"); stamp != json.end()) {
    if (auto date = kovra::fromJson<kovra::Date>(*stamp)) payload.timestamp = *date;
  }
  auto again = kovra::Dump::encode(payload);
  if (!again.ok()) return 0;
  auto back = kovra::Json::parse(again.value(), nullptr, /*allow_exceptions=*/false);
  if (back.is_discarded() || !back.is_object()) __builtin_trap();  // what we write must read back
  return 0;
}
