#pragma once
// UTF-8 helpers for text that comes from outside (file names, process names, tool output).

#include <string>
#include <string_view>

namespace kovra {

bool isValidUtf8(std::string_view s);
// The text with every invalid byte sequence replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view s);

}  // namespace kovra
