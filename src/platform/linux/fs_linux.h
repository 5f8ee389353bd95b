#pragma once
// Choices of the Linux folder reader that tests exercise directly: the older kernels' way of
// opening folders (no openat2) and of examining entries (no statx).

#include <memory>
#include <string>

#include "platform/fs_walk.h"

namespace kovra {

struct LinuxFsOptions {
  bool useOpenat2 = true;  // used only where the kernel has it
  bool useStatx = true;
  std::string flatpakInfoPath = "/.flatpak-info";  // present inside a Flatpak sandbox
};

std::unique_ptr<FileSystem> makeLinuxFileSystem(LinuxFsOptions options = {});

}  // namespace kovra
