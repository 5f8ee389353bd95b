#include "samplers/disk/disk_scan_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kovra {

int openForReadingProbe(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

bool probeFullDiskAccess(const std::string& home, const ScanOpenProbe& open) {
  const std::string candidates[] = {
      home + "/Library/Application Support/com.apple.TCC/TCC.db",
      home + "/Library/Safari/Bookmarks.plist",
      home + "/Library/Safari/History.db",
      "/Library/Application Support/com.apple.TCC/TCC.db",
  };
  for (const auto& path : candidates) {
    int error = open(path);
    if (error == 0) return true;
    if (error == EPERM) return false;
  }
  return false;
}

}  // namespace kovra
