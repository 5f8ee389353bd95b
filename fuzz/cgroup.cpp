// The cgroup file and unit-name parser against arbitrary bytes: an app id never leaves a folder.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/cgroup_unit.h"

namespace {
void check(const std::optional<std::string>& id) {
  if (!id) return;
  if (id->empty() || *id == "." || *id == ".." || id->find('/') != std::string::npos ||
      id->find('\0') != std::string::npos) {
    __builtin_trap();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  check(kovra::linux_proc::appIdFromCgroup(text));
  check(kovra::linux_proc::appIdFromUnit(text));
  return 0;
}
