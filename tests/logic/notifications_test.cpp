#include <gtest/gtest.h>

#include "logic/notification_policy.h"
#include "logic/notification_text.h"
#include "logic/notifying.h"
#include "logic/verdict_rules.h"

namespace kovra {
namespace {

constexpr auto kCritical = MemoryPressure::critical;

// Feeds readings every two seconds from `from` to `to` (inclusive) and returns the uptimes at
// which a notice was due.
std::vector<double> run(MantikNotificationPolicy& policy, double from, double to,
                        std::optional<MemoryPressure> pressure) {
  std::vector<double> due;
  for (double t = from; t <= to; t += 2) {
    if (policy.shouldNotifyMemory(pressure, t)) due.push_back(t);
  }
  return due;
}

TEST(MemoryPolicy, FirstNoticeAfterThirtySecondsThenEveryTenMinutes) {
  MantikNotificationPolicy policy;
  EXPECT_EQ(run(policy, 0, 28, kCritical), std::vector<double>{});
  EXPECT_TRUE(policy.shouldNotifyMemory(kCritical, 30));
  EXPECT_EQ(run(policy, 32, 628, kCritical), std::vector<double>{});
  EXPECT_TRUE(policy.shouldNotifyMemory(kCritical, 630));
  EXPECT_EQ(policy.lastMemoryNotice, 630);
}

TEST(MemoryPolicy, BrokenStretchRestartsButCooldownCarriesOver) {
  MantikNotificationPolicy policy;
  EXPECT_EQ(run(policy, 0, 40, kCritical), std::vector<double>{30});
  EXPECT_FALSE(policy.shouldNotifyMemory(MemoryPressure::normal, 42));
  EXPECT_FALSE(policy.memoryCriticalSince.has_value());
  // The new stretch has lasted 30 s at 74, but the cooldown from 30 runs until 630.
  EXPECT_EQ(run(policy, 44, 628, kCritical), std::vector<double>{});
  EXPECT_EQ(policy.memoryCriticalSince, 44);
  EXPECT_TRUE(policy.shouldNotifyMemory(kCritical, 630));
}

TEST(MemoryPolicy, UnreadablePressureBreaksTheStretchLikeNormal) {
  MantikNotificationPolicy policy;
  run(policy, 0, 20, kCritical);
  EXPECT_FALSE(policy.shouldNotifyMemory(std::nullopt, 22));
  EXPECT_FALSE(policy.shouldNotifyMemory(MemoryPressure::warning, 24));
  EXPECT_EQ(run(policy, 26, 54, kCritical), std::vector<double>{});
  EXPECT_TRUE(policy.shouldNotifyMemory(kCritical, 56));
}

TEST(DiskPolicy, NotifiesOnceAndRearmsOnlyAfterAnOkVerdict) {
  MantikNotificationPolicy policy;
  const Verdict critical{CardKind::disk, Severity::critical, "c"};
  const Verdict warning{CardKind::disk, Severity::warning, "w"};
  const Verdict ok{CardKind::disk, Severity::ok, "o"};
  const Verdict neutral = MantikVerdictRules::placeholder(CardKind::disk);

  EXPECT_TRUE(policy.shouldNotifyDisk(critical));
  EXPECT_FALSE(policy.shouldNotifyDisk(critical));
  // Dropping to a warning, neutral or no verdict does not re-arm.
  EXPECT_FALSE(policy.shouldNotifyDisk(warning));
  EXPECT_FALSE(policy.shouldNotifyDisk(neutral));
  EXPECT_FALSE(policy.shouldNotifyDisk(std::nullopt));
  EXPECT_FALSE(policy.shouldNotifyDisk(critical));
  EXPECT_FALSE(policy.diskArmed);

  EXPECT_FALSE(policy.shouldNotifyDisk(ok));
  EXPECT_TRUE(policy.diskArmed);
  EXPECT_FALSE(policy.shouldNotifyDisk(warning));
  EXPECT_TRUE(policy.shouldNotifyDisk(critical));
}

TEST(NotificationText, MemoryAndDiskNotices) {
  AppUsage top;
  top.name = "Tarayıcı";
  top.footprintBytes = 3ull * 1073741824ull;
  EXPECT_EQ(MantikNotificationText::memory(top),
            (MantikNotice{"kovra.memory.critical", "Bellek dolu",
                          "Tarayıcı 3,0 GB yer kaplıyor. Kapatırsan bilgisayarın rahatlar."}));
  EXPECT_EQ(MantikNotificationText::memory(std::nullopt).body,
            "Bilgisayarın yavaşlayabilir. Kullanmadığın uygulamaları kapatmayı dene.");

  EXPECT_EQ(MantikNotificationText::disk(DiskSnapshot{1000'000'000'000ull, 12'000'000'000ull, {}}),
            (MantikNotice{"kovra.disk.critical", "Disk neredeyse dolu",
                          "Sadece 12 GB boş yer kaldı. Yer açmak için büyük dosyalarını gözden geçir."}));
  EXPECT_EQ(MantikNotificationText::disk(std::nullopt).body,
            "Sadece \u2014 boş yer kaldı. Yer açmak için büyük dosyalarını gözden geçir.");
}

TEST(RecordingNotifier, RemembersRequestsAndNotices) {
  MantikRecordingNotifier recorder;
  MantikNotifying& notifier = recorder;
  notifier.requestAuthorization();
  notifier.post(MantikNotificationText::memory(std::nullopt));
  ASSERT_EQ(recorder.posted.size(), 1u);
  EXPECT_EQ(recorder.posted[0].identifier, "kovra.memory.critical");
  EXPECT_EQ(recorder.authorizationRequests, 1);
}

}  // namespace
}  // namespace kovra
