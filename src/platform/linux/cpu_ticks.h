#pragma once
// Parser for the per-processor lines of /proc/stat.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/cpu_platform.h"

namespace kovra::linuxfs {

// Replaces `times` with the columns of every "cpuN" line (user nice system idle iowait irq softirq
// steal; guest and guest_nice are already inside user and nice) and returns the number of "cpuN"
// lines. A line with fewer than four numbers counts as a processor but adds no entry, so the
// caller sees the mismatch; missing later columns read as 0. Offline processors have no line.
uint32_t parseCpuTimes(std::string_view text, std::vector<ProcessorTimes>& times);

}  // namespace kovra::linuxfs
