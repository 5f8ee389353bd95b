#pragma once
// Runs the per-process traffic tool once and collects its standard output, under a watchdog:
// the tool is asked to stop after 2 s, killed 0.5 s later, and the caller is released at 3 s
// whatever the tool does. Every child is reaped and every descriptor closed.

#include <cstddef>
#include <string>
#include <vector>

#include "core/sampler_error.h"

namespace kovra {

struct ToolLimits {
  double terminateAfterSeconds = 2.0;  // SIGTERM to the tool's process group
  double killAfterSeconds = 2.5;       // SIGKILL to the group if it still runs
  double giveUpAfterSeconds = 3.0;     // the caller returns no later than this
  size_t maxOutputBytes = size_t{16} << 20;  // more than this is refused, not buffered
};

// The tool's command line: per process, one sample, raw numbers, external interfaces, the two
// byte columns.
const std::vector<std::string>& nettopArguments();

// Runs `executable` with `arguments` (standard input and error on the null device, standard output
// read through a pipe). Returns the output when the tool exits normally with status 0; every
// other outcome is an unreadable error with the tool's failure text.
Result<std::string, SamplerError> runNettopTool(const std::string& executable,
                                                const std::vector<std::string>& arguments,
                                                const ToolLimits& limits = {});

}  // namespace kovra
