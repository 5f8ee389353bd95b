#include "platform/fake/fake_system_platforms.h"

namespace kovra {

FakeCPUPlatform& FakeCPUPlatform::push(uint32_t processors, std::vector<uint32_t> values) {
  answers_.push_back(Answer{processors, std::move(values), std::nullopt});
  return *this;
}

FakeCPUPlatform& FakeCPUPlatform::pushFailure(std::string text) {
  answers_.push_back(Answer{0, {}, std::move(text)});
  return *this;
}

Result<uint32_t, std::string> FakeCPUPlatform::readProcessorTicks(std::vector<uint32_t>& values) {
  ++calls;
  if (answers_.empty()) return Failure{std::string("fake: no answer")};
  Answer a = answers_.front();
  if (answers_.size() > 1) answers_.pop_front();
  if (a.failure) return Failure{*a.failure};
  values = a.values;
  return a.processors;
}

Result<uint64_t, std::string> FakeMemoryPlatform::pageSize() {
  ++pageSizeCalls;
  return pageSizeResult;
}

uint64_t FakeMemoryPlatform::physicalMemory() {
  ++physicalCalls;
  return physical;
}

Result<VMStatistics, std::string> FakeMemoryPlatform::statistics() {
  ++statisticsCalls;
  return statisticsResult;
}

}  // namespace kovra
