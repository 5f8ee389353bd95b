#include "core/sampler_set.h"

#include "core/fake_samplers.h"

namespace kovra {

SamplerSet SamplerSet::simulated() {
  return SamplerSet{std::make_shared<FakeMemorySampler>(),  std::make_shared<FakeCPUSampler>(),
                    std::make_shared<FakeNetworkSampler>(), std::make_shared<FakeProcessSampler>(),
                    std::make_shared<FakeAppTerminator>(),  std::make_shared<FakeDiskSampler>(),
                    std::make_shared<FakeDiskScanner>(),    std::make_shared<FakeBatterySampler>(),
                    std::make_shared<FakeProcessNetworkSampler>(), std::make_shared<FakeSensorsSampler>()};
}

}  // namespace kovra
