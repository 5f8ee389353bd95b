#include "platform/fake/fake_system_platforms.h"

namespace kovra {

FakeCPUPlatform& FakeCPUPlatform::push(std::vector<ProcessorTimes> times) {
  answers_.emplace_back(std::move(times));
  return *this;
}

FakeCPUPlatform& FakeCPUPlatform::pushFailure(std::string text) {
  answers_.emplace_back(Failure{std::move(text)});
  return *this;
}

Result<size_t, std::string> FakeCPUPlatform::readProcessorTimes(std::vector<ProcessorTimes>& times) {
  ++calls;
  if (answers_.empty()) return Failure{std::string("fake: no answer")};
  auto a = answers_.front();
  if (answers_.size() > 1) answers_.pop_front();
  if (!a.ok()) return Failure{a.error()};
  times = a.value();
  return times.size();
}

}  // namespace kovra
