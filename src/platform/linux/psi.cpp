#include "platform/linux/psi.h"

#include <charconv>
#include <cmath>

#include "platform/linux/kernel_text.h"

namespace kovra::linuxfs {

namespace {

// The value of "avg10=" on one line.
std::optional<double> avg10(std::string_view line) {
  constexpr std::string_view key = "avg10=";
  size_t at = line.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  line.remove_prefix(at + key.size());
  if (line.empty() || !isDigit(line.front())) return std::nullopt;  // no sign, no "inf"/"nan"
  double v = 0;
  auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  if (end != line.data() + line.size() && !isSpace(*end)) return std::nullopt;
  return v < 0 ? 0 : (v > 100 ? 100 : v);
}

}  // namespace

std::optional<PsiAverages> parsePsi(std::string_view text) {
  std::optional<double> some, full;
  bool fullSeen = false;
  while (!text.empty()) {
    std::string_view line = nextLine(text);
    if (line.substr(0, 5) == "some " && !some) {
      some = avg10(line);
      if (!some) return std::nullopt;
    } else if (line.substr(0, 5) == "full " && !fullSeen) {
      fullSeen = true;
      full = avg10(line);
      if (!full) return std::nullopt;
    }
  }
  if (!some) return std::nullopt;
  return PsiAverages{*some, full.value_or(0)};
}

}  // namespace kovra::linuxfs
