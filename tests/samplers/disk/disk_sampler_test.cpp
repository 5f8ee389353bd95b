#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/fake/fake_system_platforms.h"
#include "samplers/disk/disk_sampler.h"

namespace kovra {
namespace {

constexpr int64_t GB = 1'000'000'000;
const char* kFallbackNotice =
    "disk: volumeAvailableCapacityForImportantUsage okunamadı, volumeAvailableCapacity kullanılıyor";

struct DiskRig {
  FakeDiskVolumePlatform* fake;
  DiskSampler sampler;
  DiskRig() : DiskRig(std::make_unique<FakeDiskVolumePlatform>()) {}
  explicit DiskRig(std::unique_ptr<FakeDiskVolumePlatform> f) : fake(f.get()), sampler(std::move(f)) {}
  void set(std::optional<int64_t> important, std::optional<int64_t> plain, std::optional<int64_t> total = 500 * GB) {
    VolumeValues v;
    v.totalCapacity = total;
    v.availableForImportantUsage = important;
    v.availableCapacity = plain;
    v.name = "/";
    fake->result = v;
  }
};

TEST(DiskSamplerTest, ImportantFigureWinsWhenPositive) {
  LogCapture log;
  DiskRig rig;
  rig.set(120 * GB, 80 * GB);
  auto s = rig.sampler.sample();
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->totalBytes, uint64_t(500 * GB));
  EXPECT_EQ(s->availableBytes, uint64_t(120 * GB));
  EXPECT_TRUE(log.records().empty());
}

TEST(DiskSamplerTest, FallbackToThePlainFigureIsNotedOnce) {
  LogCapture log;
  DiskRig rig;
  rig.set(0, 5 * GB);
  EXPECT_EQ(rig.sampler.sample()->availableBytes, uint64_t(5 * GB));
  EXPECT_EQ(rig.sampler.sample()->availableBytes, uint64_t(5 * GB));
  rig.set(std::nullopt, 0);  // missing important figure: plain 0 is a fallback too
  EXPECT_EQ(rig.sampler.sample()->availableBytes, 0u);
  EXPECT_EQ(log.count(kFallbackNotice), 1u);
  ASSERT_EQ(log.records().size(), 1u);
  EXPECT_EQ(log.records()[0].level, LogLevel::defaultLevel);
}

TEST(DiskSamplerTest, ZeroImportantWithoutPlainIsZeroWithoutNotice) {
  LogCapture log;
  DiskRig rig;
  rig.set(0, std::nullopt);
  EXPECT_EQ(rig.sampler.sample()->availableBytes, 0u);
  rig.set(-1, 7);
  EXPECT_EQ(rig.sampler.sample()->availableBytes, 7u);  // negative important: plain, as a fallback
  EXPECT_EQ(log.count(kFallbackNotice), 1u);
}

TEST(DiskSamplerTest, Failures) {
  DiskRig rig;
  rig.set(GB, GB, 0);
  EXPECT_EQ(rig.sampler.sample().error().message(), "disk: volumeTotalCapacity okunamadı");
  rig.set(GB, GB, std::nullopt);
  EXPECT_EQ(rig.sampler.sample().error().message(), "disk: volumeTotalCapacity okunamadı");
  rig.set(std::nullopt, -5);
  EXPECT_EQ(rig.sampler.sample().error().message(), "disk: kullanılabilir alan okunamadı");
  rig.set(-1, std::nullopt);
  EXPECT_EQ(rig.sampler.sample().error().message(), "disk: kullanılabilir alan okunamadı");
  rig.fake->result = Failure{std::string("statvfs(/home/ayse): Permission denied (errno 13)")};
  EXPECT_EQ(rig.sampler.sample().error().message(),
            "disk: birim bilgisi okunamadı: statvfs(/home/ayse): Permission denied (errno 13)");
}

TEST(DiskSamplerTest, NamePrefersTheLabel) {
  DiskRig rig;
  VolumeValues v;
  v.totalCapacity = GB;
  v.availableForImportantUsage = GB;
  v.name = "/home";
  rig.fake->result = v;
  EXPECT_EQ(rig.sampler.sample()->volumeName, "/home");
  v.localizedName = "Veriler";
  rig.fake->result = v;
  EXPECT_EQ(rig.sampler.sample()->volumeName, "Veriler");
  v.localizedName.reset();
  v.name.reset();
  rig.fake->result = v;
  EXPECT_FALSE(rig.sampler.sample()->volumeName.has_value());
}

}  // namespace
}  // namespace kovra
