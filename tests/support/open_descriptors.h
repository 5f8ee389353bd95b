#pragma once
// How many descriptors this process holds open now (the listing's own included), for tests that
// check nothing leaks.

#include <dirent.h>

namespace kovra::testing {

inline int openDescriptorCount() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d) != nullptr) ++n;
    ::closedir(d);
  }
  return n;
}

}  // namespace kovra::testing
