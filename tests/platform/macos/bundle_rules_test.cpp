#include "platform/macos/bundle_rules.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

using namespace ProcessBundleRules;

TEST(ProcessBundleRules, OutermostBundle) {
  EXPECT_EQ(outermostAppBundle("/Applications/Foo.app/Contents/MacOS/Foo"), "/Applications/Foo.app");
  EXPECT_EQ(outermostAppBundle("/Applications/Foo.app/Contents/Frameworks/Bar.app/Contents/MacOS/Bar"),
            "/Applications/Foo.app");
  EXPECT_EQ(outermostAppBundle("/usr/libexec/x"), std::nullopt);
  EXPECT_EQ(outermostAppBundle("/Applications/Foo.app"), std::nullopt);
  EXPECT_EQ(outermostAppBundle(""), std::nullopt);
  EXPECT_EQ(outermostAppBundle(".app/x"), std::nullopt);
  EXPECT_EQ(outermostAppBundle("/tmp/.app/x"), std::nullopt);
  // A folder named ".app" is skipped and the search goes on.
  EXPECT_EQ(outermostAppBundle("/tmp/.app/In.app/Contents/MacOS/In"), "/tmp/.app/In.app");
  EXPECT_EQ(outermostAppBundle("/Applications/foo.APP/x"), std::nullopt);
}

TEST(ProcessBundleRules, ProtectedSystemBundles) {
  EXPECT_FALSE(isProtectedSystemBundle("/System/Applications/Calculator.app"));
  EXPECT_TRUE(isProtectedSystemBundle("/System/Library/CoreServices/Finder.app"));
  EXPECT_FALSE(isProtectedSystemBundle("/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app"));
  EXPECT_TRUE(isProtectedSystemBundle("/System/Volumes/Preboot/Cryptexes/OS/System/Library/Foo.app"));
  EXPECT_TRUE(isProtectedSystemBundle("/Library/Apple/System/Library/Foo.app"));
  EXPECT_FALSE(isProtectedSystemBundle("/Applications/Foo.app"));
  EXPECT_FALSE(isProtectedSystemBundle(""));
  EXPECT_TRUE(isProtectedSystemBundle("/System/Volumes/Data/System/Library/X.app"));
  EXPECT_FALSE(isProtectedSystemBundle("/System/Volumes/Data/Applications/X.app"));
  EXPECT_TRUE(isProtectedSystemBundle("/System/Volumes/Preboot/Cryptexes/NoSlashHere"));
  EXPECT_TRUE(isProtectedSystemBundle("/usr/local/bin/tool"));
  EXPECT_FALSE(isProtectedSystemBundle("/Library/Application Support/X.app"));
}

TEST(ProcessBundleRules, DataVolumePrefix) {
  EXPECT_EQ(withoutDataVolumePrefix("/System/Volumes/Data/Applications/X.app"), "/Applications/X.app");
  EXPECT_EQ(withoutDataVolumePrefix("/System/Volumes/Data"), "/System/Volumes/Data");
  EXPECT_EQ(withoutDataVolumePrefix("/Applications/X.app"), "/Applications/X.app");
}

}  // namespace
}  // namespace kovra
