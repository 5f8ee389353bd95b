#pragma once
// Parsers for /proc/meminfo and a zram device's mm_stat.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kovra::linuxfs {

// The /proc/meminfo fields this program uses, in bytes; absent when the line is missing.
struct MemInfo {
  std::optional<uint64_t> memTotal, memFree, memAvailable, buffers, cached, swapTotal, swapFree, zswap, anonPages,
      shmem, sReclaimable;
  bool operator==(const MemInfo&) const = default;
};

// Lines look like "MemTotal:       24683772 kB". Values in kB become bytes (saturating); a line
// whose value is not a number is treated as missing.
MemInfo parseMeminfo(std::string_view text);

// mem_used_total, the third column of mm_stat, in bytes.
std::optional<uint64_t> parseZramMemUsed(std::string_view text);

}  // namespace kovra::linuxfs
