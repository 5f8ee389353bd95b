#include "platform/linux/cpu_ticks.h"

#include <array>

#include "platform/linux/kernel_text.h"

namespace kovra::linuxfs {

uint32_t parseCpuTimes(std::string_view text, std::vector<ProcessorTimes>& times) {
  times.clear();
  uint32_t processors = 0;
  while (!text.empty()) {
    std::string_view line = nextLine(text);
    // "cpu" followed by a digit; the summary line "cpu " is skipped.
    if (line.size() < 4 || line.substr(0, 3) != "cpu" || !isDigit(line[3])) continue;
    line.remove_prefix(3);
    while (!line.empty() && isDigit(line.front())) line.remove_prefix(1);
    if (processors == UINT32_MAX) break;
    ++processors;

    std::array<uint64_t, 8> f{};
    size_t got = 0;
    while (got < f.size()) {
      auto v = takeUnsigned(line);
      if (!v) break;
      f[got++] = *v;
    }
    if (got < 4) continue;
    times.push_back(ProcessorTimes{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
  }
  return processors;
}

}  // namespace kovra::linuxfs
