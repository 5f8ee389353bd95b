#include "platform/linux/proc_stat.h"

#include <limits>

namespace kovra::linux_proc {

namespace {

// Reads one space-separated token; false at the end of the text.
bool nextToken(std::string_view& rest, std::string_view& token) {
  size_t i = 0;
  while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\n' || rest[i] == '\t')) ++i;
  if (i == rest.size()) return false;
  size_t j = i;
  while (j < rest.size() && rest[j] != ' ' && rest[j] != '\n' && rest[j] != '\t') ++j;
  token = rest.substr(i, j - i);
  rest.remove_prefix(j);
  return true;
}

std::optional<uint64_t> toUnsigned(std::string_view s) {
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (std::numeric_limits<uint64_t>::max() - d) / 10) return std::nullopt;
    v = v * 10 + d;
  }
  return v;
}

std::optional<int64_t> toSigned(std::string_view s) {
  bool negative = !s.empty() && s.front() == '-';
  if (negative) s.remove_prefix(1);
  auto v = toUnsigned(s);
  if (!v || *v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
  return negative ? -static_cast<int64_t>(*v) : static_cast<int64_t>(*v);
}

}  // namespace

std::optional<ProcStat> parseProcStat(std::string_view text) {
  size_t open = text.find('(');
  size_t close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
  ProcStat s;
  s.comm = text.substr(open + 1, close - open - 1);
  std::string_view rest = text.substr(close + 1);
  std::string_view token;
  // Field 3 onwards.
  for (int field = 3; field <= 22; ++field) {
    if (!nextToken(rest, token)) return std::nullopt;
    switch (field) {
      case 3:
        if (token.size() != 1) return std::nullopt;
        s.state = token[0];
        break;
      case 4: {
        auto v = toSigned(token);
        if (!v) return std::nullopt;
        s.ppid = *v;
        break;
      }
      case 9:
      case 14:
      case 15:
      case 22: {
        auto v = toUnsigned(token);
        if (!v) return std::nullopt;
        (field == 9 ? s.flags : field == 14 ? s.utime : field == 15 ? s.stime : s.startTime) = *v;
        break;
      }
      default:
        break;
    }
  }
  // Fields 50 and 51 are optional: older kernels end earlier. Fields 23 to 49 are stepped over
  // by their single-space separators (the kernel writes no other).
  for (int field = 23; field < 50; ++field) {
    size_t space = rest.find(' ', 1);
    if (space == std::string_view::npos) return s;
    rest.remove_prefix(space);
  }
  std::optional<uint64_t> envStart;
  std::optional<uint64_t> envEnd;
  if (nextToken(rest, token)) envStart = toUnsigned(token);
  if (envStart && nextToken(rest, token)) envEnd = toUnsigned(token);
  if (envStart && envEnd) {
    s.hasEnvRange = true;
    s.envStart = *envStart;
    s.envEnd = *envEnd;
  }
  return s;
}

std::optional<ProcStatm> parseProcStatm(std::string_view text) {
  std::string_view token;
  ProcStatm m;
  uint64_t* slots[] = {&m.size, &m.resident, &m.shared};
  for (uint64_t* slot : slots) {
    if (!nextToken(text, token)) return std::nullopt;
    auto v = toUnsigned(token);
    if (!v) return std::nullopt;
    *slot = *v;
  }
  return m;
}

std::optional<uint32_t> parseStatusRealUid(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (line.starts_with("Uid:")) {
      std::string_view rest = line.substr(4);
      std::string_view token;
      if (!nextToken(rest, token)) return std::nullopt;
      auto v = toUnsigned(token);
      if (!v || *v > std::numeric_limits<uint32_t>::max()) return std::nullopt;
      return static_cast<uint32_t>(*v);
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string_view> environValue(std::string_view environ, std::string_view name) {
  size_t at = 0;
  while (at < environ.size()) {
    size_t end = environ.find('\0', at);
    std::string_view entry = environ.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
      return entry.substr(name.size() + 1);
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace kovra::linux_proc
