#pragma once
// Reads the CSV that the per-process traffic tool prints: a header whose last two columns are
// the byte counters, then one "name.pid,first,second," line per process.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/sampler_error.h"

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
  std::map<int32_t, NettopRow> rows;  // a later line with the same pid replaces an earlier one
  int64_t skippedLines = 0;           // data lines that gave no row
};

// The whole output; fails only when the header is missing or unexpected.
Result<NettopParse, SamplerError> parseNettopOutput(std::string_view data);
// True when the bytes-in column comes first.
Result<bool, SamplerError> nettopHeaderOrder(std::string_view line);
std::optional<NettopRow> parseNettopRow(std::string_view line, bool bytesInFirst);

}  // namespace kovra
