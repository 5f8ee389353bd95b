#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/linux/linux_disk_volume.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

TEST(LinuxDiskVolumeTest, ReadsCapacityAndTheLabelOfTheHomeDevice) {
  testing::TempDir dir;
  const std::string home = dir.path();
  struct stat st {};
  ASSERT_EQ(::stat(home.c_str(), &st), 0);
  const std::string device = dir.write("dev/vdz", "");
  dir.write("mountinfo", "1 0 " + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)) +
                             " / / rw - ext4 " + device + " rw\n");
  ASSERT_EQ(::mkdir(dir.at("by-label").c_str(), 0755), 0);
  dir.write("other", "");
  ASSERT_EQ(::symlink(dir.at("other").c_str(), dir.at("by-label/Baska").c_str()), 0);
  ASSERT_EQ(::symlink(device.c_str(), dir.at("by-label/Ev\\x20Diski").c_str()), 0);

  LinuxDiskVolumePlatform platform({home, dir.at("mountinfo"), dir.at("by-label")});
  auto v = platform.readHomeVolume();
  ASSERT_TRUE(v.ok()) << v.error();
  EXPECT_GT(v->totalCapacity.value_or(0), 0);
  EXPECT_GE(v->availableForImportantUsage.value_or(-1), 0);
  EXPECT_EQ(v->availableForImportantUsage, v->availableCapacity);
  EXPECT_EQ(v->localizedName, "Ev Diski");
  EXPECT_EQ(v->name, "/");
}

TEST(LinuxDiskVolumeTest, WithoutLabelTheDiskModelThenTheMountPointNamesTheVolume) {
  testing::TempDir dir;
  LinuxDiskVolumePlatform platform({dir.path(), dir.at("no-mountinfo"), dir.at("no-labels"), dir.at("no-sys")});
  auto v = platform.readHomeVolume();
  ASSERT_TRUE(v.ok());
  EXPECT_FALSE(v->localizedName.has_value());
  EXPECT_FALSE(v->name.has_value());  // nothing known about the mount either

  // A partition: the model is its parent disk's.
  struct stat st {};
  ASSERT_EQ(::stat(dir.path().c_str(), &st), 0);
  const std::string entry = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  dir.write("sys/disk/device/model", "  Örnek SSD 1TB  \n");
  ASSERT_EQ(::mkdir(dir.at("sys/disk/part").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(dir.at("sys/block").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(dir.at("sys/disk/part").c_str(), dir.at("sys/block/" + entry).c_str()), 0);
  LinuxDiskVolumePlatform modelled({dir.path(), dir.at("no-mountinfo"), dir.at("no-labels"), dir.at("sys/block")});
  EXPECT_EQ(modelled.readHomeVolume()->localizedName, "Örnek SSD 1TB");

  LinuxDiskVolumePlatform real({dir.path(), "/proc/self/mountinfo", dir.at("no-labels"), dir.at("no-sys")});
  EXPECT_TRUE(real.readHomeVolume()->name.has_value());
}

TEST(LinuxDiskVolumeTest, AMissingHomeFolderIsSaidInWords) {
  testing::TempDir dir;
  LinuxDiskVolumePlatform platform({dir.at("gone"), "/proc/self/mountinfo", "/dev/disk/by-label"});
  EXPECT_EQ(platform.readHomeVolume().error(), "ev klasörü yok (" + dir.at("gone") + ")");
}

}  // namespace
}  // namespace kovra
