#pragma once
// Tiny helpers for walking kernel text files without allocating.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kovra::linuxfs {

// Removes and returns the first line (without its newline) from `text`.
inline std::string_view nextLine(std::string_view& text) {
  size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline void skipSpaces(std::string_view& s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
}

// Reads an unsigned decimal number after optional spaces. Values past 2^64 wrap, which is harmless
// for counters that are only ever used modulo 2^32 and is caught by range checks elsewhere.
inline std::optional<uint64_t> takeUnsigned(std::string_view& s) {
  skipSpaces(s);
  if (s.empty() || !isDigit(s.front())) return std::nullopt;
  uint64_t v = 0;
  while (!s.empty() && isDigit(s.front())) {
    v = v * 10 + static_cast<uint64_t>(s.front() - '0');
    s.remove_prefix(1);
  }
  return v;
}

// Like takeUnsigned, but a value past 2^64 yields nothing.
inline std::optional<uint64_t> takeUnsignedChecked(std::string_view& s) {
  skipSpaces(s);
  if (s.empty() || !isDigit(s.front())) return std::nullopt;
  uint64_t v = 0;
  while (!s.empty() && isDigit(s.front())) {
    if (__builtin_mul_overflow(v, 10, &v) || __builtin_add_overflow(v, static_cast<uint64_t>(s.front() - '0'), &v))
      return std::nullopt;
    s.remove_prefix(1);
  }
  return v;
}

}  // namespace kovra::linuxfs
