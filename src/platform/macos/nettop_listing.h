#pragma once
// The macOS side of per-process traffic: that system's traffic tool (nettop) is run once per
// reading (see nettop_runner.h) and its CSV read here:  a header whose last two columns are
// the byte counters, then one "name.pid,first,second," line per process. Only a line feed ends a
// line (a carriage return before it is dropped): whatever else a process name holds stays inside
// its own row, so no name can add a row of its own.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/sampler_error.h"
#include "platform/process_traffic.h"

namespace kovra {

// One parsed data line.
struct NettopRow {
  int32_t pid = 0;
  std::string name;
  uint64_t bytesIn = 0;
  uint64_t bytesOut = 0;
  bool operator==(const NettopRow&) const = default;
};

struct NettopParse {
  std::map<int32_t, NettopRow> rows;  // one row per pid listed exactly once
  int64_t skippedLines = 0;           // data lines that gave no row (each line of a repeated pid too)
  // Pids listed more than once. Neither line can be trusted over the other (one may be forged
  // inside another process's name), so none of them is a row; the pid counts as not seen.
  std::set<int32_t> conflicting;
  // The header says the tool stopped early: processes it did not list may still exist.
  bool partial = false;
};

// The whole output; fails only when the header is missing or unexpected.
Result<NettopParse, SamplerError> parseNettopOutput(std::string_view data);
// True when the bytes-in column comes first.
Result<bool, SamplerError> nettopHeaderOrder(std::string_view line);
// True when one of the header's other columns is "partial".
bool nettopHeaderIsPartial(std::string_view line);
std::optional<NettopRow> parseNettopRow(std::string_view line, bool bytesInFirst);

// The reading the shared traffic sampler takes: one entry per row in pid order, and each
// conflicting pid twice with no counters, so that the sampler believes none of its lines.
TrafficReading trafficReading(const NettopParse& parse);

}  // namespace kovra
