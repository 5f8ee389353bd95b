#include "core/fake_samplers.h"
#include "core/sampler_set.h"
#include "samplers/disk/disk_sampler.h"
#include "samplers/disk/disk_scanner.h"
#include "samplers/network/network_sampler.h"
#include "samplers/network/process_network_sampler.h"
#include "samplers/process/app_terminator.h"
#include "samplers/process/process_sampler.h"
#include "samplers/system/battery_sampler.h"
#include "samplers/system/cpu_sampler.h"
#include "samplers/system/memory_sampler.h"
#include "samplers/system/sensors_sampler.h"

namespace kovra {

// The live set. Each line names the class that reads that quantity on this platform.
SamplerSet SamplerSet::live() {
  SamplerSet s;
  s.memory = std::make_shared<MemorySampler>();
  s.cpu = std::make_shared<CPUSampler>();
  s.network = std::make_shared<NetworkSampler>();
  s.processes = std::make_shared<ProcessSampler>();
  s.terminator = std::make_shared<AppTerminator>();
  s.disk = std::make_shared<DiskSampler>();
  s.scanner = std::make_shared<DiskScanner>();
  s.battery = std::make_shared<BatterySampler>();
  s.processNetwork = std::make_shared<ProcessNetworkSampler>();
  s.sensors = std::make_shared<SensorsSampler>();
  return s;
}

}  // namespace kovra
