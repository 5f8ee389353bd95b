#pragma once
// The folder that stands for /sys for the whole program: $KOVRA_SYS_ROOT when it is set and not
// empty (a test or a recorded machine), else "/sys". Read once, at the first call.

#include <string>

namespace kovra::linuxfs {

const std::string& sysRoot();

// The root to use for a given value of the variable (null or empty: "/sys"); a trailing slash is
// dropped so that paths join with one.
std::string sysRootFrom(const char* variable);

}  // namespace kovra::linuxfs
