// Process names as the app list shows them: nothing in them can break a line or a column.
#include "core/utf8.h"
#include "platform/process_traffic.h"

namespace kovra {

namespace {

// The scalar at s[i] of valid UTF-8 text and its length.
size_t scalarAt(std::string_view s, size_t i, char32_t& cp) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  cp = len == 1 ? b : len == 2 ? (b & 0x1Fu) : len == 3 ? (b & 0x0Fu) : (b & 0x07u);
  for (size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
  return len;
}

bool mustReplace(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == ',';
}

}  // namespace

std::string listingName(std::string_view raw) {
  const std::string text = sanitizeUtf8(raw);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    size_t len = scalarAt(text, i, c);
    if (mustReplace(c)) {
      out += '?';
    } else {
      out.append(text, i, len);
    }
    i += len;
  }
  return out;
}

}  // namespace kovra
