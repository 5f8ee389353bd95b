// /proc/<pid>/stat, statm and status parsers against arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/proc_stat.h"
#include "platform/linux/proc_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  using namespace kovra::linux_proc;
  if (auto s = parseProcStat(text)) {
    // The name must lie inside the input.
    if (s->comm.data() < text.data() || s->comm.data() + s->comm.size() > text.data() + text.size()) __builtin_trap();
  }
  (void)parseProcStatm(text);
  (void)parseStatusRealUid(text);
  (void)environValue(text, "GIO_LAUNCHED_DESKTOP_FILE");
  size_t half = size / 2;
  ProcReading r;
  if (fillReading(text.substr(0, half), text.substr(half), r) && r.commLength > r.comm.size()) __builtin_trap();
  return 0;
}
