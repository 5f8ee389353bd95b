#pragma once
// The one JSON printer of the program: two spaces per level, " : " between key and value, keys
// sorted at every depth (case-insensitive, digit runs compared as numbers), "/" escaped as "\/",
// doubles in their shortest round-trip form. A non-finite double anywhere fails the whole encoding.

#include <string>
#include <string_view>

#include "core/records_json.h"
#include "core/result.h"

namespace kovra {

struct JsonEncodeError {
  std::string description;
  bool operator==(const JsonEncodeError&) const = default;
};

Result<std::string, JsonEncodeError> encodePrettySorted(const Json& value);

// The key order used by the printer: negative, zero or positive like strcmp.
int compareKeys(std::string_view a, std::string_view b);

}  // namespace kovra
