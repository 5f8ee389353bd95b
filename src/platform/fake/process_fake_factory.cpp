// The fake platform's factories: an empty machine.

#include "platform/fake/process_fake.h"

#include <chrono>

namespace kovra::platform {

std::unique_ptr<ProcessTable> makeProcessTable() {
  return std::make_unique<macos::PerPidProcessTable>(std::make_shared<FakeProcessSource>());
}
std::unique_ptr<AppControl> makeAppControl() { return std::make_unique<FakeAppControl>(); }

uint64_t monotonicNanos() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

}  // namespace kovra::platform
