#include "platform/linux/sys_root.h"

#include <cstdlib>

namespace kovra::linuxfs {

std::string sysRootFrom(const char* variable) {
  if (variable == nullptr || *variable == '\0') return "/sys";
  std::string root = variable;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

const std::string& sysRoot() {
  static const std::string root = sysRootFrom(std::getenv("KOVRA_SYS_ROOT"));
  return root;
}

}  // namespace kovra::linuxfs
