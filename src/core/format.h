#pragma once
// Short Turkish texts for numbers: "." between thousands, "," before the decimal, the percent sign
// before the number. Pure arithmetic: no locale, no formatter objects.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovra {

enum class RateUnit { bytes, bits };
std::string_view rawValue(RateUnit u);
std::optional<RateUnit> rateUnitFromRaw(std::string_view raw);

namespace Format {

inline constexpr std::string_view placeholder = "\u2014";  // —

// Digits with "." between groups of three.
std::string grouped(int64_t value);
// Rounded (halves away from zero) and grouped; none when not showable (NaN, negative, ≥ 10^15).
std::optional<std::string> wholeNumber(double x);
// Exactly one decimal after ","; with dropsZeroFraction a zero tenth is left off.
std::optional<std::string> oneDecimal(double x, bool dropsZeroFraction);
// Binary units shown as "MB" / "GB".
std::string memoryText(double bytes);
// Decimal units "MB" / "GB" / "TB".
std::string storageText(double bytes);
std::string rateText(double x, std::string_view small, std::string_view medium, std::string_view large);
std::string rate(double bytesPerSecond, RateUnit unit);
std::string percent(std::optional<double> fraction);
std::string duration(std::optional<int64_t> minutes);

}  // namespace Format
}  // namespace kovra
