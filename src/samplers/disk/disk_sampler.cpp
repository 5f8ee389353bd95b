#include "samplers/disk/disk_sampler.h"

#include <utility>

#include "core/log.h"

namespace kovra {

DiskSampler::DiskSampler() : DiskSampler(makeDiskVolumePlatform()) {}

DiskSampler::DiskSampler(std::unique_ptr<DiskVolumePlatform> platform) : platform_(std::move(platform)) {}

SampleResult<DiskSnapshot> DiskSampler::sample() {
  auto read = platform_->readHomeVolume();
  if (!read.ok()) return unreadable("disk: birim bilgisi okunamadı: " + read.error());
  VolumeValues& v = read.value();

  if (!v.totalCapacity || *v.totalCapacity < 1) return unreadable("disk: volumeTotalCapacity okunamadı");

  // Prefer the free space for important data; fall back to the plain figure when that is
  // missing, negative, or 0 while the plain one is not.
  const auto& important = v.availableForImportantUsage;
  const auto& plain = v.availableCapacity;
  int64_t available = 0;
  bool fallback = false;
  if (important && *important > 0) {
    available = *important;
  } else if (important && *important == 0) {
    if (plain && *plain > 0) {
      available = *plain;
      fallback = true;
    }
  } else {
    if (!plain || *plain < 0) return unreadable("disk: kullanılabilir alan okunamadı");
    available = *plain;
    fallback = true;
  }
  if (fallback && !loggedFallback_) {
    loggedFallback_ = true;
    Log::sampler.log("disk: volumeAvailableCapacityForImportantUsage okunamadı, volumeAvailableCapacity kullanılıyor");
  }

  DiskSnapshot s;
  s.totalBytes = static_cast<uint64_t>(*v.totalCapacity);
  s.availableBytes = static_cast<uint64_t>(available);
  s.volumeName = v.localizedName ? std::move(v.localizedName) : std::move(v.name);
  return s;
}

}  // namespace kovra
