#pragma once
// Capacity of the home folder's volume on Linux: statvfs for the figures, /proc/self/mountinfo and
// /dev/disk/by-label for the name (the file system's label, else the mount point).

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/disk_volume_platform.h"

namespace kovra {

namespace linuxfs {

struct MountEntry {
  std::string mountPoint;
  std::string source;
  bool operator==(const MountEntry&) const = default;
};

// The mount that holds `path` on device `majorMinor` ("8:1"): among the mountinfo lines of that
// device, the one whose mount point is the longest leading folder of `path`. Octal escapes such as
// "\040" are decoded.
std::optional<MountEntry> findMount(std::string_view mountinfo, std::string_view majorMinor, std::string_view path);

// Decodes udev's "\x20"-style escapes in a by-label link name.
std::string decodeLabel(std::string_view name);

}  // namespace linuxfs

class LinuxDiskVolumePlatform : public DiskVolumePlatform {
 public:
  struct Paths {
    std::string home;  // empty: $HOME, else the password database's entry
    std::string mountinfo = "/proc/self/mountinfo";
    std::string byLabel = "/dev/disk/by-label";
    std::string sysBlock = "/sys/dev/block";  // block devices by "major:minor", for the disk's model
  };
  LinuxDiskVolumePlatform();
  explicit LinuxDiskVolumePlatform(Paths paths);

  // Both free figures are f_bavail × f_frsize, the space an ordinary user may fill; blocks kept
  // back for root are never counted as free.
  Result<VolumeValues, std::string> readHomeVolume() override;

 private:
  void lookUpNames(const std::string& home, dev_t device);

  Paths paths_;
  std::string home_;
  // The names belong to a device; they are looked up again only when the home folder moves to
  // another one.
  std::optional<dev_t> namedDevice_;
  // The file system's label, else the model of the disk it lives on.
  std::optional<std::string> label_;
  std::optional<std::string> mountPoint_;
};

}  // namespace kovra
