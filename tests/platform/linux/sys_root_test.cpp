#include <gtest/gtest.h>

#include "platform/linux/sys_root.h"

namespace kovra::linuxfs {
namespace {

TEST(SysRootTest, UnsetOrEmptyMeansSysAndTrailingSlashesGo) {
  EXPECT_EQ(sysRootFrom(nullptr), "/sys");
  EXPECT_EQ(sysRootFrom(""), "/sys");
  EXPECT_EQ(sysRootFrom("/tmp/fixture//"), "/tmp/fixture");
  EXPECT_EQ(sysRootFrom("/"), "/");
}

}  // namespace
}  // namespace kovra::linuxfs
