#include "core/records_json.h"

#include <cstdio>
#include <ctime>

namespace kovra {

std::string isoDate(Date d) {
  using namespace std::chrono;
  auto secs = floor<seconds>(d).time_since_epoch().count();
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::optional<Date> parseIsoDate(std::string_view s) {
  // YYYY-MM-DDTHH:MM:SSZ, nothing else.
  if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':' || s[19] != 'Z')
    return std::nullopt;
  auto num = [&](size_t at, size_t len, int& out) {
    out = 0;
    for (size_t i = at; i < at + len; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      out = out * 10 + (s[i] - '0');
    }
    return true;
  };
  int y, mo, da, h, mi, se;
  if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, da) || !num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, se))
    return std::nullopt;
  if (mo < 1 || mo > 12 || da < 1 || da > 31 || h > 23 || mi > 59 || se > 60) return std::nullopt;
  using namespace std::chrono;
  year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(da)}};
  if (!ymd.ok()) return std::nullopt;
  return Date{sys_days{ymd}.time_since_epoch() + hours{h} + minutes{mi} + seconds{se}};
}

}  // namespace kovra
