#pragma once
// Size and free space of the volume that holds the home folder. Every call is a full reading.

#include <memory>

#include "core/contracts.h"
#include "platform/disk_volume_platform.h"

namespace kovra {

class DiskSampler : public DiskSampling {
 public:
  DiskSampler();
  explicit DiskSampler(std::unique_ptr<DiskVolumePlatform> platform);

  SampleResult<DiskSnapshot> sample() override;

 private:
  std::unique_ptr<DiskVolumePlatform> platform_;
  bool loggedFallback_ = false;  // the fallback notice is written once per sampler
};

}  // namespace kovra
