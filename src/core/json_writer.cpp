#include "core/json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "core/utf8.h"

namespace kovra {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int compareDigitRuns(std::string_view a, std::string_view b) {
  auto strip = [](std::string_view s) {
    size_t i = 0;
    while (i + 1 < s.size() && s[i] == '0') ++i;
    return s.substr(i);
  };
  auto x = strip(a);
  auto y = strip(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  int c = x.compare(y);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void appendString(std::string& out, std::string_view s) {
  out.push_back('"');
  std::string valid = sanitizeUtf8(s);
  for (char ch : valid) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '/': out += "\\/"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 15]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

class Printer {
 public:
  std::string out;
  std::string error;

  bool print(const Json& v, int depth) {
    switch (v.type()) {
      case Json::value_t::null: out += "null"; return true;
      case Json::value_t::boolean: out += v.get<bool>() ? "true" : "false"; return true;
      case Json::value_t::number_integer: appendNumber(v.get<int64_t>()); return true;
      case Json::value_t::number_unsigned: appendNumber(v.get<uint64_t>()); return true;
      case Json::value_t::number_float: return appendDouble(v.get<double>());
      case Json::value_t::string: appendString(out, v.get_ref<const std::string&>()); return true;
      case Json::value_t::array: return printArray(v, depth);
      case Json::value_t::object: return printObject(v, depth);
      default:
        error = "JSON'da yazılamayan değer türü";
        return false;
    }
  }

 private:
  template <class I>
  void appendNumber(I n) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
  }

  bool appendDouble(double d) {
    if (!std::isfinite(d)) {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, d);
      error = "Geçersiz sayı JSON'a yazılamaz: " + std::string(buf, r.ptr);
      return false;
    }
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, r.ptr);
    return true;
  }

  void indent(int depth) { out.append(static_cast<size_t>(depth) * 2, ' '); }

  bool printArray(const Json& v, int depth) {
    if (v.empty()) {
      out += "[]";
      return true;
    }
    out += "[\n";
    bool first = true;
    for (const auto& e : v) {
      if (!first) out += ",\n";
      first = false;
      indent(depth + 1);
      if (!print(e, depth + 1)) return false;
    }
    out += '\n';
    indent(depth);
    out += ']';
    return true;
  }

  bool printObject(const Json& v, int depth) {
    if (v.empty()) {
      out += "{}";
      return true;
    }
    std::vector<const std::string*> keys;
    keys.reserve(v.size());
    for (auto it = v.begin(); it != v.end(); ++it) keys.push_back(&it.key());
    std::sort(keys.begin(), keys.end(), [](const std::string* a, const std::string* b) { return compareKeys(*a, *b) < 0; });
    out += "{\n";
    bool first = true;
    for (const std::string* k : keys) {
      if (!first) out += ",\n";
      first = false;
      indent(depth + 1);
      appendString(out, *k);
      out += " : ";
      if (!print(v.at(*k), depth + 1)) return false;
    }
    out += '\n';
    indent(depth);
    out += '}';
    return true;
  }
};

}  // namespace

int compareKeys(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      size_t ie = i, je = j;
      while (ie < a.size() && isDigit(a[ie])) ++ie;
      while (je < b.size() && isDigit(b[je])) ++je;
      int c = compareDigitRuns(a.substr(i, ie - i), b.substr(j, je - j));
      if (c != 0) return c;
      i = ie;
      j = je;
      continue;
    }
    auto x = static_cast<unsigned char>(lower(a[i]));
    auto y = static_cast<unsigned char>(lower(b[j]));
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  // Equal under the loose order ("a" and "A", "1" and "01"): fall back to bytes so the order is total.
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Result<std::string, JsonEncodeError> encodePrettySorted(const Json& value) {
  Printer p;
  if (!p.print(value, 0)) return Failure{JsonEncodeError{p.error}};
  return std::move(p.out);
}

}  // namespace kovra
