#include "platform/linux/meminfo.h"

#include <limits>

#include "platform/linux/kernel_text.h"

namespace kovra::linuxfs {

namespace {

std::optional<uint64_t>* slotFor(MemInfo& m, std::string_view key) {
  struct Entry {
    std::string_view key;
    std::optional<uint64_t> MemInfo::*field;
  };
  static constexpr Entry kEntries[] = {
      {"MemTotal", &MemInfo::memTotal},   {"MemFree", &MemInfo::memFree},     {"MemAvailable", &MemInfo::memAvailable},
      {"Buffers", &MemInfo::buffers},     {"Cached", &MemInfo::cached},       {"SwapTotal", &MemInfo::swapTotal},
      {"SwapFree", &MemInfo::swapFree},   {"Zswap", &MemInfo::zswap},         {"AnonPages", &MemInfo::anonPages},
      {"Shmem", &MemInfo::shmem},         {"SReclaimable", &MemInfo::sReclaimable},
  };
  for (const auto& e : kEntries)
    if (e.key == key) return &(m.*e.field);
  return nullptr;
}

}  // namespace

MemInfo parseMeminfo(std::string_view text) {
  MemInfo m;
  while (!text.empty()) {
    std::string_view line = nextLine(text);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::optional<uint64_t>* slot = slotFor(m, line.substr(0, colon));
    if (slot == nullptr || slot->has_value()) continue;  // the first line of a name wins
    line.remove_prefix(colon + 1);
    auto value = takeUnsignedChecked(line);
    if (!value) continue;
    skipSpaces(line);
    if (line.substr(0, 2) == "kB") {
      uint64_t bytes = 0;
      *slot = __builtin_mul_overflow(*value, uint64_t{1024}, &bytes) ? std::numeric_limits<uint64_t>::max() : bytes;
    } else {
      *slot = *value;
    }
  }
  return m;
}

std::optional<uint64_t> parseZramMemUsed(std::string_view text) {
  std::optional<uint64_t> v;
  for (int column = 0; column < 3; ++column) {
    v = takeUnsignedChecked(text);
    if (!v) return std::nullopt;
  }
  return v;
}

}  // namespace kovra::linuxfs
