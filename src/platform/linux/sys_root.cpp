#include "platform/linux/sys_root.h"

#include <cstdlib>

namespace kovra::linuxfs {

std::string sysRootFrom(const char* value) {
  std::string root = value != nullptr ? value : "";
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root.empty() ? std::string("/sys") : root;
}

const std::string& sysRoot() {
  static const std::string root = sysRootFrom(std::getenv("KOVRA_SYS_ROOT"));
  return root;
}

std::string sysPath(std::string_view relative) {
  const std::string& root = sysRoot();
  std::string path = root == "/" ? std::string() : root;
  path += relative;
  return path;
}

}  // namespace kovra::linuxfs
