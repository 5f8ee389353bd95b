#include "platform/macos/nettop_listing.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/utf8.h"

namespace kovra {

namespace {

const std::string kNoHeader = "nettop başlık satırı yok";
const std::string kUnexpectedHeader = "nettop başlığı beklenmedik: ";

// Decodes one scalar of valid UTF-8 starting at s[i]; returns its length (1 for anything odd).
size_t decodeAt(std::string_view s, size_t i, char32_t& cp) {
  auto b = static_cast<unsigned char>(s[i]);
  size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  if (b < 0x80 || i + len > s.size()) {
    cp = b;
    return 1;
  }
  cp = len == 2 ? (b & 0x1Fu) : len == 3 ? (b & 0x0Fu) : (b & 0x07u);
  for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
  return len;
}

// Characters that must not reach a name as they are: controls and the line and paragraph
// separators.
bool isControlOrSeparator(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// Unicode white space (the White_Space property).
bool isWhitespace(char32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool isBlank(std::string_view line) {
  for (size_t i = 0; i < line.size();) {
    char32_t c;
    i += decodeAt(line, i, c);
    if (!isWhitespace(c)) return false;
  }
  return true;
}

// Length of the last scalar of a non-empty valid UTF-8 text.
size_t lastScalarStart(std::string_view s) {
  size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u) --i;
  return i;
}

std::string_view trimSpacesAndTabs(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Lines end at a line feed only, with a carriage return before it dropped.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// The name with every control and separator replaced by "?".
std::string cleanName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    char32_t c;
    size_t len = decodeAt(name, i, c);
    if (isControlOrSeparator(c)) {
      out += '?';
    } else {
      out.append(name.substr(i, len));
    }
    i += len;
  }
  return out;
}

std::vector<std::string_view> headerFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    size_t comma = line.find(',', start);
    fields.push_back(trimSpacesAndTabs(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  return fields;
}

// A decimal number with an optional leading "+", nothing else; false on overflow.
template <class T>
bool parseDecimal(std::string_view text, T& out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

Result<bool, SamplerError> nettopHeaderOrder(std::string_view line) {
  if (line.empty() || line.front() != ',') return unreadable(kNoHeader);
  std::vector<std::string_view> fields = headerFields(line);
  if (fields.size() >= 2) {
    std::string_view a = fields[fields.size() - 2], b = fields.back();
    if (a == "bytes_in" && b == "bytes_out") return true;
    if (a == "bytes_out" && b == "bytes_in") return false;
  }
  return unreadable(kUnexpectedHeader + std::string(line));
}

bool nettopHeaderIsPartial(std::string_view line) {
  std::vector<std::string_view> fields = headerFields(line);
  if (fields.size() < 2) return false;
  return std::find(fields.begin(), fields.end() - 2, "partial") != fields.end() - 2;
}

std::optional<NettopRow> parseNettopRow(std::string_view line, bool bytesInFirst) {
  while (!line.empty()) {
    size_t last = lastScalarStart(line);
    char32_t c;
    decodeAt(line, last, c);
    if (c != ',' && !isWhitespace(c)) break;
    line = line.substr(0, last);
  }
  size_t c2 = line.rfind(',');
  if (c2 == std::string_view::npos) return std::nullopt;
  std::string_view second = line.substr(c2 + 1), rest = line.substr(0, c2);
  size_t c1 = rest.rfind(',');
  if (c1 == std::string_view::npos) return std::nullopt;
  std::string_view first = rest.substr(c1 + 1), head = rest.substr(0, c1);

  uint64_t a = 0, b = 0;
  if (!parseDecimal(first, a) || !parseDecimal(second, b)) return std::nullopt;

  size_t dot = head.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == head.size()) return std::nullopt;
  int32_t pid = 0;
  if (!parseDecimal(head.substr(dot + 1), pid) || pid < 1) return std::nullopt;

  NettopRow row;
  row.pid = pid;
  row.name = cleanName(head.substr(0, dot));
  row.bytesIn = bytesInFirst ? a : b;
  row.bytesOut = bytesInFirst ? b : a;
  return row;
}

Result<NettopParse, SamplerError> parseNettopOutput(std::string_view data) {
  const std::string text = sanitizeUtf8(data);
  NettopParse result;
  std::optional<bool> bytesInFirst;
  for (std::string_view line : splitLines(text)) {
    if (isBlank(line)) continue;
    if (!bytesInFirst) {
      auto order = nettopHeaderOrder(line);
      if (!order) return Failure{order.error()};
      bytesInFirst = *order;
      result.partial = nettopHeaderIsPartial(line);
      continue;
    }
    auto row = parseNettopRow(line, *bytesInFirst);
    if (!row) {
      ++result.skippedLines;
    } else if (result.conflicting.contains(row->pid)) {
      ++result.skippedLines;
    } else if (auto earlier = result.rows.find(row->pid); earlier != result.rows.end()) {
      result.rows.erase(earlier);
      result.conflicting.insert(row->pid);
      result.skippedLines += 2;
    } else {
      result.rows.emplace(row->pid, std::move(*row));
    }
  }
  if (!bytesInFirst) return unreadable(kNoHeader);
  return result;
}

TrafficReading trafficReading(const NettopParse& parse) {
  TrafficReading reading;
  reading.partial = parse.partial;
  for (const auto& [pid, row] : parse.rows) reading.processes.push_back({pid, row.name, row.bytesIn, row.bytesOut});
  for (int32_t pid : parse.conflicting) {
    reading.processes.push_back({pid, "", 0, 0});
    reading.processes.push_back({pid, "", 0, 0});
  }
  return reading;
}

}  // namespace kovra
