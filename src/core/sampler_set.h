#pragma once
// One object per sampler contract. Copies share the same sampler objects.

#include <memory>

#include "core/contracts.h"

namespace kovra {

struct SamplerSet {
  std::shared_ptr<MemorySampling> memory;
  std::shared_ptr<CPUSampling> cpu;
  std::shared_ptr<NetworkSampling> network;
  std::shared_ptr<ProcessSampling> processes;
  std::shared_ptr<AppTerminating> terminator;
  std::shared_ptr<DiskSampling> disk;
  std::shared_ptr<DiskScanning> scanner;
  std::shared_ptr<BatterySampling> battery;
  std::shared_ptr<ProcessNetworkSampling> processNetwork;
  std::shared_ptr<SensorsSampling> sensors;

  // Fresh live samplers with empty state (defined by the application, which links the
  // platform's samplers).
  static SamplerSet live();
  // Every slot filled with a simulated sampler.
  static SamplerSet simulated();
};

}  // namespace kovra
