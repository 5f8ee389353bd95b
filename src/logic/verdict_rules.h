#pragma once
// Turns the current readings into one verdict per card and picks the headline. Pure functions.

#include <map>
#include <optional>

#include "core/records.h"

namespace kovra {

struct MantikVerdictRules {
  static Verdict memoryVerdict(const std::optional<MemorySnapshot>& memory,
                               const std::optional<ProcessListSnapshot>& processes);
  static Verdict diskVerdict(const std::optional<DiskSnapshot>& disk);
  // `busyAbove`: the usage above which the sustained-load tracker counts a reading as high; such a
  // reading before the load has lasted is still ok, but the processor is not called relaxed.
  static Verdict cpuVerdict(const std::optional<CPUSnapshot>& cpu, bool sustainedHigh,
                            const std::optional<AppUsage>& topApp, double busyAbove = 0.8);
  static Verdict networkVerdict(const std::optional<NetworkSnapshot>& network);
  // The worst warning or critical of memory, disk and cpu (earlier wins a tie); otherwise
  // "Her şey yolunda." when any of them is ok; otherwise the placeholder.
  static Verdict headline(const std::map<CardKind, Verdict>& verdicts);

  // Nothing to judge: the card, neutral, "—".
  static Verdict placeholder(std::optional<CardKind> card);
};

}  // namespace kovra
