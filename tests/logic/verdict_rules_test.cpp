#include <gtest/gtest.h>

#include <cmath>

#include "core/localize.h"
#include "logic/verdict_rules.h"

namespace kovra {
namespace {

constexpr uint64_t kGiB = 1073741824ull;

AppUsage app(std::string name, uint64_t footprint, bool canTerminate, std::optional<double> cpu = std::nullopt) {
  AppUsage a;
  a.id = name;
  a.name = std::move(name);
  a.footprintBytes = footprint;
  a.canTerminate = canTerminate;
  a.cpuFraction = cpu;
  return a;
}

MemorySnapshot memory(std::optional<MemoryPressure> pressure) {
  MemorySnapshot m;
  m.totalBytes = 16 * kGiB;
  m.appBytes = 8 * kGiB;
  m.pressure = pressure;
  return m;
}

TEST(MemoryVerdict, FollowsPressureAndNamesTheLargestQuittableApp) {
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(std::nullopt, std::nullopt),
            (Verdict{CardKind::memory, Severity::neutral, "\u2014"}));
  // Byte counts alone are not judged.
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(std::nullopt), std::nullopt).sentence, "\u2014");

  ProcessListSnapshot list;
  list.apps = {app("Çekirdek", 6 * kGiB, false), app("Tarayıcı", 2 * kGiB, true), app("Not", kGiB, true)};

  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(MemoryPressure::normal), list),
            (Verdict{CardKind::memory, Severity::ok, "Belleğin rahat."}));
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(MemoryPressure::warning), list),
            (Verdict{CardKind::memory, Severity::warning,
                     "Bellek sıkışmaya başladı. En çok yer kaplayan: Tarayıcı (2,0 GB)."}));
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(MemoryPressure::warning), std::nullopt).sentence,
            "Bellek sıkışmaya başladı.");
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(MemoryPressure::critical), list),
            (Verdict{CardKind::memory, Severity::critical,
                     "Bellek dolu, bilgisayar yavaşlayabilir. Tarayıcı kapatılırsa 2,0 GB açılır."}));
  ProcessListSnapshot nothingToQuit;
  nothingToQuit.apps = {app("Çekirdek", 6 * kGiB, false)};
  EXPECT_EQ(MantikVerdictRules::memoryVerdict(memory(MemoryPressure::critical), nothingToQuit).sentence,
            "Bellek dolu, bilgisayar yavaşlayabilir.");
}

TEST(DiskVerdict, StrictThresholdsAtFiveAndTenPercent) {
  EXPECT_EQ(MantikVerdictRules::diskVerdict(std::nullopt), (Verdict{CardKind::disk, Severity::neutral, "\u2014"}));
  EXPECT_EQ(MantikVerdictRules::diskVerdict(DiskSnapshot{0, 0, {}}).sentence, "\u2014");

  const uint64_t total = 1000'000'000'000ull;
  auto at = [&](uint64_t available) { return MantikVerdictRules::diskVerdict(DiskSnapshot{total, available, {}}); };
  EXPECT_EQ(at(49'000'000'000ull),
            (Verdict{CardKind::disk, Severity::critical, "Disk neredeyse dolu: sadece 49 GB boş yer kaldı."}));
  EXPECT_EQ(at(50'000'000'000ull),
            (Verdict{CardKind::disk, Severity::warning, "Disk dolmaya başladı: 50 GB boş yer kaldı."}));
  EXPECT_EQ(at(99'900'000'000ull).severity, Severity::warning);
  EXPECT_EQ(at(100'000'000'000ull),
            (Verdict{CardKind::disk, Severity::ok, "Diskte yeterince yer var: 100 GB boş."}));
}

TEST(CPUVerdict, PercentFirstAndWarningOnlyWhenSustained) {
  auto cpu = [](double usage) { return CPUSnapshot{usage, 0, 0, 8}; };
  const AppUsage top = app("Derleyici", kGiB, true, 0.7);
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0.42), false, top),
            (Verdict{CardKind::cpu, Severity::ok, "İşlemci rahat, kullanım %42."}));
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0), false, std::nullopt).sentence, "İşlemci rahat, kullanım %0.");
  // A high reading alone stays ok, but the processor is busy, not relaxed; at the line it is not.
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(1.0), false, top),
            (Verdict{CardKind::cpu, Severity::ok, "İşlemci şu an yoğun, kullanım %100."}));
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0.8), false, top).sentence, "İşlemci rahat, kullanım %80.");
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0.6), false, top, 0.5).sentence, "İşlemci şu an yoğun, kullanım %60.");
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0.95), true, std::nullopt),
            (Verdict{CardKind::cpu, Severity::warning, "İşlemci uzun süredir yoğun çalışıyor, kullanım %95."}));
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(0.95), true, top).sentence,
            "İşlemci uzun süredir yoğun çalışıyor, kullanım %95. En çok kullanan: Derleyici.");
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(-0.1), true, top), (Verdict{CardKind::cpu, Severity::neutral, "\u2014"}));
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(std::nan("")), false, top).sentence, "\u2014");
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(std::nullopt, false, top).sentence, "\u2014");
  // A usage too large to show keeps the sentence with the placeholder for the number.
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(cpu(1e20), false, top).sentence, "İşlemci şu an yoğun, kullanım \u2014.");
}

TEST(NetworkVerdict, ConnectionKindOnlyAndAlwaysNeutral) {
  auto v = [](ConnectionKind k) {
    NetworkSnapshot n;
    n.connection = k;
    n.downloadBytesPerSecond = 1e9;
    return MantikVerdictRules::networkVerdict(n);
  };
  EXPECT_EQ(v(ConnectionKind::wifi), (Verdict{CardKind::network, Severity::neutral, "Wi-Fi bağlı."}));
  EXPECT_EQ(v(ConnectionKind::ethernet).sentence, "Ethernet bağlı.");
  EXPECT_EQ(v(ConnectionKind::other).sentence, "Ağa bağlı.");
  EXPECT_EQ(v(ConnectionKind::none), (Verdict{CardKind::network, Severity::neutral, "Bağlantı yok."}));
  EXPECT_EQ(MantikVerdictRules::networkVerdict(std::nullopt).sentence, "\u2014");
}

TEST(Headline, WorstOfMemoryDiskCpuWithEarlierWinningTies) {
  const Verdict memWarn{CardKind::memory, Severity::warning, "m"};
  const Verdict diskWarn{CardKind::disk, Severity::warning, "d"};
  const Verdict diskCrit{CardKind::disk, Severity::critical, "D"};
  const Verdict cpuOk{CardKind::cpu, Severity::ok, "c"};
  const Verdict netCrit{CardKind::network, Severity::critical, "n"};

  EXPECT_EQ(MantikVerdictRules::headline({{CardKind::memory, memWarn}, {CardKind::disk, diskWarn}, {CardKind::cpu, cpuOk}}),
            memWarn);
  EXPECT_EQ(MantikVerdictRules::headline({{CardKind::memory, memWarn}, {CardKind::disk, diskCrit}}), diskCrit);
  EXPECT_EQ(MantikVerdictRules::headline({{CardKind::memory, {CardKind::memory, Severity::ok, "x"}},
                                          {CardKind::disk, MantikVerdictRules::placeholder(CardKind::disk)},
                                          {CardKind::cpu, MantikVerdictRules::placeholder(CardKind::cpu)}}),
            (Verdict{std::nullopt, Severity::ok, "Her şey yolunda."}));
  // The network card never decides the headline.
  EXPECT_EQ(MantikVerdictRules::headline({{CardKind::network, netCrit}}),
            (Verdict{std::nullopt, Severity::neutral, "\u2014"}));
  EXPECT_EQ(MantikVerdictRules::headline({}), (Verdict{std::nullopt, Severity::neutral, "\u2014"}));
}

TEST(VerdictRules, SentencesGoThroughTheTranslationTable) {
  setLocalizationTable({{"Wi-Fi bağlı.", "Wi-Fi connected."}, {"İşlemci rahat, kullanım %42.", "CPU idle, 42%."}});
  NetworkSnapshot n;
  n.connection = ConnectionKind::wifi;
  EXPECT_EQ(MantikVerdictRules::networkVerdict(n).sentence, "Wi-Fi connected.");
  // The whole sentence with its values inserted is the key.
  EXPECT_EQ(MantikVerdictRules::cpuVerdict(CPUSnapshot{0.42, 0, 0, 1}, false, std::nullopt).sentence, "CPU idle, 42%.");
  setLocalizationTable({});
}

}  // namespace
}  // namespace kovra
