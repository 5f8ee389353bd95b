#pragma once
// Parsers for the per-process files of /proc. They take the file's bytes and never allocate.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kovra::linux_proc {

// The fields of /proc/<pid>/stat the samplers use (ticks are clock ticks).
struct ProcStat {
  std::string_view comm;  // points into the parsed text
  char state = '?';
  int64_t ppid = 0;
  uint64_t flags = 0;
  uint64_t utime = 0;
  uint64_t stime = 0;
  uint64_t startTime = 0;  // clock ticks since boot: one life of a pid
  // Where the environment block lies in the process's memory (fields 50 and 51). The kernel
  // shows 0 for both when the reader may not look into the process or it has no memory.
  bool hasEnvRange = false;  // the text has the two fields at all
  uint64_t envStart = 0;
  uint64_t envEnd = 0;
};

// The process flag of kernel threads.
inline constexpr uint64_t kKernelThreadFlag = 0x00200000;

// "pid (comm) S ppid ...": the name may hold spaces and parentheses, so the fields are read
// after the last ')'.
std::optional<ProcStat> parseProcStat(std::string_view text);

// /proc/<pid>/statm, in pages.
struct ProcStatm {
  uint64_t size = 0;
  uint64_t resident = 0;
  uint64_t shared = 0;
};
std::optional<ProcStatm> parseProcStatm(std::string_view text);

// The real user id from the "Uid:" line of /proc/<pid>/status.
std::optional<uint32_t> parseStatusRealUid(std::string_view text);

// The value of NAME=value in a NUL-separated environment block.
std::optional<std::string_view> environValue(std::string_view environ, std::string_view name);

}  // namespace kovra::linux_proc
