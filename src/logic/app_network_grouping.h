#pragma once
// Per-process traffic charged to the apps of the latest process list: one row per app, in the
// order the network app list shows them.

#include <cstdint>
#include <vector>

#include "core/records.h"

namespace kovra::MantikAppNetworkGrouping {

// One row per app that has traffic entries; processes that no app claims (or that the process
// list does not know any more) are charged to the system row. Sorted as `sorted` does.
std::vector<AppNetworkUsage> group(const ProcessNetworkSnapshot& network, const ProcessListSnapshot& processes);

// Busiest first: larger rate sum, then larger total sum, then name, then id; ties keep their order.
std::vector<AppNetworkUsage> sorted(std::vector<AppNetworkUsage> rows);

// a + b, holding at the largest value instead of wrapping.
constexpr uint64_t saturatingAdd(uint64_t a, uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace kovra::MantikAppNetworkGrouping
