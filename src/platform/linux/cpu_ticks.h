#pragma once
// Parser for the per-processor lines of /proc/stat.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kovra::linuxfs {

// Replaces `values` with four counters per "cpuN" line, in the order user, system, idle, nice,
// each reduced modulo 2^32, and returns the number of "cpuN" lines. A line with fewer than four
// numbers still counts as a processor but adds no values, so the caller sees the mismatch.
//
// The kernel's ten columns are folded into four: irq and softirq count as system time; iowait and
// steal count as idle time (the processor was not running this machine's work; iowait can also
// step backwards on its own, but idle + iowait does not); guest and guest_nice are already part of
// user and nice and are not added again. Offline processors have no line, so taking one offline
// changes the count.
uint32_t parseCpuTicks(std::string_view text, std::vector<uint32_t>& values);

}  // namespace kovra::linuxfs
