#include "platform/macos/processor_ticks.h"

#include <string>

namespace kovra::macos {

Result<size_t, std::string> WrappingTicks::update(uint32_t processors, std::span<const uint32_t> ticks,
                                                  std::vector<ProcessorTimes>& times, std::string_view source) {
  const uint64_t needed = uint64_t{processors} * 4;
  if (processors == 0 || ticks.size() < needed) {
    return Failure{std::string(source) + ": " + std::to_string(processors) + " işlemci, " +
                   std::to_string(ticks.size()) + " değer (beklenen en az " + std::to_string(needed) + ")"};
  }
  ticks = ticks.first(needed);
  if (last_.size() != ticks.size()) {
    last_.assign(ticks.size(), 0);
    running_.assign(processors, ProcessorTimes{});
  }
  for (size_t p = 0; p < processors; ++p) {
    ProcessorTimes& t = running_[p];
    uint64_t* fields[4] = {&t.user, &t.system, &t.idle, &t.nice};
    for (size_t k = 0; k < 4; ++k) {
      const size_t i = p * 4 + k;
      // The unsigned 32-bit difference is the true step even across one wrap.
      *fields[k] += static_cast<uint32_t>(ticks[i] - last_[i]);
      last_[i] = ticks[i];
    }
  }
  times = running_;
  return times.size();
}

}  // namespace kovra::macos
