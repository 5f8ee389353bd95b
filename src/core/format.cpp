#include "core/format.h"

#include <charconv>
#include <cmath>

#include "core/localize.h"

namespace kovra {

std::string_view rawValue(RateUnit u) { return u == RateUnit::bits ? "bits" : "bytes"; }

std::optional<RateUnit> rateUnitFromRaw(std::string_view raw) {
  if (raw == "bytes") return RateUnit::bytes;
  if (raw == "bits") return RateUnit::bits;
  return std::nullopt;
}

namespace Format {

namespace {

constexpr double kShowLimit = 1e15;

// The rounded value when it can be shown, as an integer.
std::optional<int64_t> showable(double rounded) {
  if (!std::isfinite(rounded) || rounded < 0 || rounded >= kShowLimit) return std::nullopt;
  return static_cast<int64_t>(rounded);  // -0 becomes 0
}

std::string withUnit(std::optional<std::string> number, std::string_view unit) {
  if (!number) return std::string(placeholder);
  std::string out = std::move(*number);
  out += ' ';
  out += unit;
  return out;
}

}  // namespace

std::string grouped(int64_t value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  std::string_view digits(buf, static_cast<size_t>(r.ptr - buf));
  std::string sign;
  if (!digits.empty() && digits.front() == '-') {
    sign = "-";
    digits.remove_prefix(1);
  }
  if (digits.size() < 4) return sign + std::string(digits);
  std::string out = sign;
  out.reserve(sign.size() + digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    size_t fromEnd = digits.size() - i;
    if (i > 0 && fromEnd % 3 == 0) out.push_back('.');
    out.push_back(digits[i]);
  }
  return out;
}

std::optional<std::string> wholeNumber(double x) {
  auto r = showable(std::round(x));
  if (!r) return std::nullopt;
  return grouped(*r);
}

std::optional<std::string> oneDecimal(double x, bool dropsZeroFraction) {
  auto t = showable(std::round(x * 10));
  if (!t) return std::nullopt;
  int64_t whole = *t / 10;
  int64_t tenth = *t % 10;
  if (dropsZeroFraction && tenth == 0) return grouped(whole);
  std::string out = grouped(whole);
  out += ',';
  out += static_cast<char>('0' + tenth);
  return out;
}

std::string memoryText(double bytes) {
  constexpr double mib = 1048576.0;
  constexpr double gib = 1073741824.0;
  double m = std::round(bytes / mib);
  if (bytes < gib && m < 1024) {
    auto s = showable(m);
    return s ? withUnit(grouped(*s), "MB") : std::string(placeholder);
  }
  return withUnit(oneDecimal(bytes / gib, false), "GB");
}

std::string storageText(double bytes) {
  double mb = std::round(bytes / 1e6);
  if (bytes < 1e9 && mb < 1000) return withUnit(wholeNumber(mb), "MB");
  double gb = std::round(bytes / 1e9);
  if (bytes < 1e12 && gb < 1000) return withUnit(wholeNumber(gb), "GB");
  return withUnit(oneDecimal(bytes / 1e12, true), "TB");
}

std::string rateText(double x, std::string_view small, std::string_view medium, std::string_view large) {
  double k = std::round(x / 1000);
  if (k < 1000) {
    auto s = showable(k);
    return s ? withUnit(grouped(*s), small) : std::string(placeholder);
  }
  bool giga = std::round(x / 1e6 * 10) >= 10000;
  return withUnit(oneDecimal(giga ? x / 1e9 : x / 1e6, false), giga ? large : medium);
}

std::string rate(double bytesPerSecond, RateUnit unit) {
  if (!std::isfinite(bytesPerSecond) || bytesPerSecond < 0) return std::string(placeholder);
  if (unit == RateUnit::bits) return rateText(bytesPerSecond * 8, "Kbps", "Mbps", "Gbps");
  return rateText(bytesPerSecond, "KB/s", "MB/s", "GB/s");
}

std::string percent(std::optional<double> fraction) {
  if (!fraction || !std::isfinite(*fraction) || *fraction < 0) return std::string(placeholder);
  auto n = wholeNumber(*fraction * 100);
  if (!n) return std::string(placeholder);
  return "%" + *n;
}

std::string duration(std::optional<int64_t> minutes) {
  if (!minutes || *minutes < 0) return std::string(placeholder);
  int64_t h = *minutes / 60;
  int64_t m = *minutes % 60;
  std::string sa = localized("sa", "Saat kısaltması, örn. 2 sa 15 dk");
  std::string dk = localized("dk", "Dakika kısaltması, örn. 2 sa 15 dk");
  if (*minutes <= 59) return grouped(m) + " " + dk;
  if (m == 0) return grouped(h) + " " + sa;
  return grouped(h) + " " + sa + " " + grouped(m) + " " + dk;
}

}  // namespace Format
}  // namespace kovra
