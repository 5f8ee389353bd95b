#include "platform/linux/cpu_ticks.h"

#include <array>

#include "platform/linux/kernel_text.h"

namespace kovra::linuxfs {

uint32_t parseCpuTicks(std::string_view text, std::vector<uint32_t>& values) {
  values.clear();
  uint32_t processors = 0;
  while (!text.empty()) {
    std::string_view line = nextLine(text);
    // "cpu" followed by a digit; the summary line "cpu " is skipped.
    if (line.size() < 4 || line.substr(0, 3) != "cpu" || !isDigit(line[3])) continue;
    line.remove_prefix(3);
    while (!line.empty() && isDigit(line.front())) line.remove_prefix(1);
    if (processors == UINT32_MAX) break;
    ++processors;

    // user nice system idle iowait irq softirq steal
    std::array<uint64_t, 8> f{};
    size_t got = 0;
    while (got < f.size()) {
      auto v = takeUnsigned(line);
      if (!v) break;
      f[got++] = *v;
    }
    if (got < 4) continue;
    values.push_back(static_cast<uint32_t>(f[0]));
    values.push_back(static_cast<uint32_t>(f[2] + f[5] + f[6]));
    values.push_back(static_cast<uint32_t>(f[3] + f[4] + f[7]));
    values.push_back(static_cast<uint32_t>(f[1]));
  }
  return processors;
}

}  // namespace kovra::linuxfs
