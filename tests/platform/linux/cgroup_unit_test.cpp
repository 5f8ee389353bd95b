#include "platform/linux/cgroup_unit.h"

#include <gtest/gtest.h>

namespace kovra::linux_proc {
namespace {

TEST(CgroupUnit, AppUnitForms) {
  EXPECT_EQ(appIdFromUnit("app-org.example.Editor-1234.scope"), "org.example.Editor");
  EXPECT_EQ(appIdFromUnit("app-gnome-firefox\\x2desr-5678.scope"), "firefox-esr");
  EXPECT_EQ(appIdFromUnit("app-flatpak-org.example.Chat-91.scope"), "org.example.Chat");
  EXPECT_EQ(appIdFromUnit("app-org.example.Mail@a1b2c3.service"), "org.example.Mail");
  EXPECT_EQ(appIdFromUnit("app-gnome-org.example.Mail@a1b2c3.service"), "org.example.Mail");
  EXPECT_EQ(appIdFromUnit("app-org.example.Plain.service"), "org.example.Plain");
  EXPECT_EQ(appIdFromUnit("snap.firefox.firefox-0f1e2d3c-4b5a-6978-8a9b-0c1d2e3f4a5b.scope"), "firefox_firefox");
  EXPECT_EQ(appIdFromUnit("snap.my-snap.my-app-0f1e2d3c-4b5a-6978-8a9b-0c1d2e3f4a5b.scope"), "my-snap_my-app");
}

TEST(CgroupUnit, OtherUnitsAndHostileIdsAreRefused) {
  EXPECT_FALSE(appIdFromUnit("app.slice"));
  EXPECT_FALSE(appIdFromUnit("app-org.gnome.Terminal.slice"));
  EXPECT_FALSE(appIdFromUnit("session-2.scope"));
  EXPECT_FALSE(appIdFromUnit("app-1234.scope"));             // no app id before the number
  EXPECT_FALSE(appIdFromUnit("app-x-notanumber.scope"));     // the instance must be a number
  EXPECT_FALSE(appIdFromUnit("app-..\\x2f..\\x2fetc-1.scope"));  // would leave the folder
  EXPECT_FALSE(appIdFromUnit("app-\\x2e\\x2e-1.scope"));
  EXPECT_FALSE(appIdFromUnit("snap..scope"));
  EXPECT_FALSE(appIdFromUnit("app-.service"));
  EXPECT_FALSE(appIdFromUnit(""));
}

TEST(CgroupUnit, InnermostAppUnitOfTheProcess) {
  EXPECT_EQ(appIdFromCgroup("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                            "app-gnome-org.example.Editor-4242.scope\n"),
            "org.example.Editor");
  // cgroup v1: the name=systemd hierarchy.
  EXPECT_EQ(appIdFromCgroup("12:cpu:/\n1:name=systemd:/user.slice/app-org.example.Old-7.scope\n0::/\n"),
            "org.example.Old");
  // A terminal's shell runs in its own scope below the terminal's slice: no app of its own.
  EXPECT_FALSE(appIdFromCgroup("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                               "app-org.gnome.Terminal.slice/vte-spawn-1a2b.scope\n"));
  EXPECT_FALSE(appIdFromCgroup("0::/\n"));
  EXPECT_FALSE(appIdFromCgroup("garbage"));
  EXPECT_FALSE(appIdFromCgroup(""));
}

TEST(CgroupUnit, OnlyAnswersBelowTheUnifiedRootFollowFromTheUnifiedCgroup) {
  // Mixed layout, both processes in the root of the unified hierarchy (one cgroup, one id) but in
  // different units of name=systemd: their answers differ, so that cgroup must not stand for them.
  const std::string inApp = "12:cpu:/\n1:name=systemd:/user.slice/app-org.example.Old-7.scope\n0::/\n";
  const std::string inSession = "12:cpu:/\n1:name=systemd:/user.slice/session-2.scope\n0::/\n";
  EXPECT_NE(appIdFromCgroup(inApp), appIdFromCgroup(inSession));
  EXPECT_FALSE(appIdFollowsUnifiedPath(inApp));
  EXPECT_FALSE(appIdFollowsUnifiedPath(inSession));

  // Below the unified root the unified path decides, whatever name=systemd says.
  const std::string a = "1:name=systemd:/elsewhere\n0::/user.slice/app-org.example.Editor-9.scope\n";
  const std::string b = "1:name=systemd:/user.slice/app-org.example.Old-7.scope\n0::/user.slice/app-org.example.Editor-9.scope\n";
  EXPECT_TRUE(appIdFollowsUnifiedPath(a));
  EXPECT_TRUE(appIdFollowsUnifiedPath(b));
  EXPECT_EQ(appIdFromCgroup(a), "org.example.Editor");
  EXPECT_EQ(appIdFromCgroup(b), "org.example.Editor");

  // The unified hierarchy alone, below its root; and files without its line.
  EXPECT_TRUE(appIdFollowsUnifiedPath("0::/system.slice/cron.service\n"));
  EXPECT_FALSE(appIdFollowsUnifiedPath("0::/\n"));
  EXPECT_FALSE(appIdFollowsUnifiedPath("1:name=systemd:/user.slice/app-org.example.Old-7.scope\n"));
  EXPECT_FALSE(appIdFollowsUnifiedPath(""));
}

}  // namespace
}  // namespace kovra::linux_proc
