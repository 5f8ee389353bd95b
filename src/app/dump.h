#pragma once
// `--dump`: one settled set of readings written as JSON to standard output.

#include <optional>
#include <string>
#include <vector>

#include "core/json_writer.h"
#include "core/records_json.h"
#include "core/sampler_set.h"

namespace kovra {

// One settled set of readings: each kind's reading under its name (none for a failed read, or for
// the battery on a machine without one), one error line per failed read, and when it was taken.
struct DumpPayload {
  Date timestamp;
  Json readings = Json::object();
  std::vector<std::string> errors;
  bool operator==(const DumpPayload&) const = default;
};

namespace Dump {

// True when one argument is exactly "--dump".
bool isRequested(const std::vector<std::string>& arguments);
// Warm-up pass, settle, second pass; never fails.
DumpPayload makePayload(const SamplerSet& samplers, double settleDelay);
Result<std::string, JsonEncodeError> encode(const DumpPayload& payload);
// Without "--dump" returns at once; otherwise writes the dump and ends the process (0, or 1 when
// encoding fails).
void runIfRequested(const std::vector<std::string>& arguments, const SamplerSet& samplers);
// The body of runIfRequested without the exit: writes to `fd` and returns the exit status.
int run(const SamplerSet& samplers, double settleDelay, int fd);

}  // namespace Dump
}  // namespace kovra
