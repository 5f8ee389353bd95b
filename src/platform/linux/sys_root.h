#pragma once
// The folder that stands for /sys in every reader of the program. KOVRA_SYS_ROOT replaces it, so
// that a fixture tree (or a copy taken from another machine) can be read as if it were the
// running kernel's; unset or empty means /sys.

#include <string>
#include <string_view>

namespace kovra::linuxfs {

// The root, read from the environment once; never ends in '/' (except for "/" itself).
const std::string& sysRoot();
// sysRoot() followed by `relative`, which starts with '/': sysPath("/class/hwmon").
std::string sysPath(std::string_view relative);

// The rule sysRoot() applies to the variable's value, for tests.
std::string sysRootFrom(const char* value);

}  // namespace kovra::linuxfs
