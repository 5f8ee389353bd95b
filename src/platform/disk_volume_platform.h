#pragma once
// Where the disk sampler gets the capacity of the home folder's volume from.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/result.h"

namespace kovra {

// The volume figures of one reading; each may be missing.
struct VolumeValues {
  std::optional<int64_t> totalCapacity;
  // Free space usable for important data (what the system could free counts as free).
  std::optional<int64_t> availableForImportantUsage;
  std::optional<int64_t> availableCapacity;
  std::optional<std::string> localizedName;
  std::optional<std::string> name;
  bool operator==(const VolumeValues&) const = default;
};

class DiskVolumePlatform {
 public:
  virtual ~DiskVolumePlatform() = default;
  // Reads the home folder's volume afresh; on failure, a description naming the failing call.
  virtual Result<VolumeValues, std::string> readHomeVolume() = 0;
};

std::unique_ptr<DiskVolumePlatform> makeDiskVolumePlatform();

}  // namespace kovra
