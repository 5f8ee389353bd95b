#include "logic/verdict_rules.h"

#include <array>
#include <cmath>

#include "core/format.h"
#include "core/localize.h"

namespace kovra {

namespace {

Verdict make(CardKind card, Severity severity, const std::string& sentence) {
  return Verdict{card, severity, localized(sentence, "verdict sentence")};
}

}  // namespace

Verdict MantikVerdictRules::placeholder(std::optional<CardKind> card) {
  return Verdict{card, Severity::neutral, std::string(Format::placeholder)};
}

Verdict MantikVerdictRules::memoryVerdict(const std::optional<MemorySnapshot>& memory,
                                          const std::optional<ProcessListSnapshot>& processes) {
  if (!memory || !memory->pressure) return placeholder(CardKind::memory);
  std::optional<AppUsage> top;
  if (processes) top = processes->topTerminableApp();

  switch (*memory->pressure) {
    case MemoryPressure::normal:
      return make(CardKind::memory, Severity::ok, "Belleğin rahat.");
    case MemoryPressure::warning:
      if (top) {
        return make(CardKind::memory, Severity::warning,
                    "Bellek sıkışmaya başladı. En çok yer kaplayan: " + top->name + " (" +
                        Format::memoryText(static_cast<double>(top->footprintBytes)) + ").");
      }
      return make(CardKind::memory, Severity::warning, "Bellek sıkışmaya başladı.");
    case MemoryPressure::critical:
      if (top) {
        return make(CardKind::memory, Severity::critical,
                    "Bellek dolu, bilgisayar yavaşlayabilir. " + top->name + " kapatılırsa " +
                        Format::memoryText(static_cast<double>(top->footprintBytes)) + " açılır.");
      }
      return make(CardKind::memory, Severity::critical, "Bellek dolu, bilgisayar yavaşlayabilir.");
  }
  return placeholder(CardKind::memory);
}

Verdict MantikVerdictRules::diskVerdict(const std::optional<DiskSnapshot>& disk) {
  if (!disk || disk->totalBytes == 0) return placeholder(CardKind::disk);
  const double free = static_cast<double>(disk->availableBytes) / static_cast<double>(disk->totalBytes);
  const std::string text = Format::storageText(static_cast<double>(disk->availableBytes));
  if (free < 0.05) {
    return make(CardKind::disk, Severity::critical, "Disk neredeyse dolu: sadece " + text + " boş yer kaldı.");
  }
  if (free < 0.10) return make(CardKind::disk, Severity::warning, "Disk dolmaya başladı: " + text + " boş yer kaldı.");
  return make(CardKind::disk, Severity::ok, "Diskte yeterince yer var: " + text + " boş.");
}

Verdict MantikVerdictRules::cpuVerdict(const std::optional<CPUSnapshot>& cpu, bool sustainedHigh,
                                       const std::optional<AppUsage>& topApp, double busyAbove) {
  if (!cpu || !std::isfinite(cpu->usage) || cpu->usage < 0) return placeholder(CardKind::cpu);
  const std::optional<std::string> whole = Format::wholeNumber(cpu->usage * 100);
  const std::string percent = whole ? "%" + *whole : std::string(Format::placeholder);
  if (sustainedHigh) {
    std::string sentence = "İşlemci uzun süredir yoğun çalışıyor, kullanım " + percent + ".";
    if (topApp) sentence += " En çok kullanan: " + topApp->name + ".";
    return make(CardKind::cpu, Severity::warning, sentence);
  }
  if (cpu->usage > busyAbove) return make(CardKind::cpu, Severity::ok, "İşlemci şu an yoğun, kullanım " + percent + ".");
  return make(CardKind::cpu, Severity::ok, "İşlemci rahat, kullanım " + percent + ".");
}

Verdict MantikVerdictRules::networkVerdict(const std::optional<NetworkSnapshot>& network) {
  if (!network) return placeholder(CardKind::network);
  switch (network->connection) {
    case ConnectionKind::wifi:
      return make(CardKind::network, Severity::neutral, "Wi-Fi bağlı.");
    case ConnectionKind::ethernet:
      return make(CardKind::network, Severity::neutral, "Ethernet bağlı.");
    case ConnectionKind::other:
      return make(CardKind::network, Severity::neutral, "Ağa bağlı.");
    case ConnectionKind::none:
      return make(CardKind::network, Severity::neutral, "Bağlantı yok.");
  }
  return placeholder(CardKind::network);
}

Verdict MantikVerdictRules::headline(const std::map<CardKind, Verdict>& verdicts) {
  static constexpr std::array<CardKind, 4> kOrder{CardKind::memory, CardKind::disk, CardKind::cpu, CardKind::sensors};
  const Verdict* worst = nullptr;
  bool anyOk = false;
  for (CardKind card : kOrder) {
    auto it = verdicts.find(card);
    if (it == verdicts.end()) continue;
    const Verdict& v = it->second;
    if (v.severity == Severity::ok) anyOk = true;
    if (v.severity < Severity::warning) continue;
    // Strictly worse only, so the earlier card wins a tie.
    if (worst == nullptr || v.severity > worst->severity) worst = &v;
  }
  if (worst != nullptr) return *worst;
  if (anyOk) return Verdict{std::nullopt, Severity::ok, localized("Her şey yolunda.", "headline")};
  return placeholder(std::nullopt);
}

}  // namespace kovra
