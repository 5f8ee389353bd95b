#pragma once
// Every reading kind, declared once: how it is read and how often, when it is wanted, where its
// readings go (history series, verdict) and how the dump reports it. The store's loops, its
// refresh, its verdicts and the dump walk these rows instead of naming kinds one by one; adding
// a kind means adding its row (and its enum value, sampler slot and published field; an apply step
// of its own only when other state derives from its readings).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/records.h"
#include "logic/observable.h"
#include "store/sample_kind.h"

namespace kovra {

class Store;
struct SamplerSet;

// What can make a kind wanted. A kind's loop runs while any of its conditions holds.
namespace Wanted {
inline constexpr unsigned always = 1u << 0;
inline constexpr unsigned panelOrWindow = 1u << 1;   // the menu panel or the main window shows
inline constexpr unsigned networkDetail = 1u << 2;   // the network page shows
inline constexpr unsigned labelNetwork = 1u << 3;    // the tray label shows the rates
inline constexpr unsigned memoryPressure = 1u << 4;  // memory pressure is warning or critical
inline constexpr unsigned labelTemperature = 1u << 5;  // the tray label shows the processor's temperature
}  // namespace Wanted

struct SampleKindRow {
  MantikSampleKind kind;
  // Its name in logs, queue labels and as the dump's key.
  std::string_view name;
  // Pause between the end of one read and the start of the next, in seconds.
  double interval;
  // Wanted conditions (Wanted::…), any of which starts its loop.
  unsigned wantedWhen;
  // refreshNow() reads it even while it is not wanted.
  bool refreshedUnwanted;
  // Read on the main sequence where the loop runs, not on the sampling worker: for reads so cheap
  // (a kept-descriptor read of a small kernel file) that the hop to the worker and back would cost
  // more than the read, on loops an idle tray item runs.
  bool readInPlace;
  // The history series its readings feed, and the revision counter bumped when a point is added.
  std::vector<SeriesKind> series;
  Observable<uint64_t> Store::*historyRevision = nullptr;
  // The card whose verdict it decides, and that verdict from the store's current state.
  std::optional<CardKind> card;
  Verdict (*verdict)(const Store&) = nullptr;
  // Starts one read: the sampler call on the kind's queue, then its apply step on the main
  // sequence, then `done`.
  void (*read)(Store&, std::function<void()> done) = nullptr;
  // For the dump: reads the sampler once on the calling thread; a reading goes into `value` (left
  // null when there is none, as on a machine without a battery), a failure into `error`.
  void (*dump)(const SamplerSet&, nlohmann::json& value, std::optional<std::string>& error) = nullptr;
  // Where its failure line goes among the dump's errors (the dump reads disk before processes).
  int dumpPosition = 0;
  // For a reading the machine may lack: whether the store's readings say it has it. Its card
  // shows only then, and the store reads it once at start so that the card is in place before
  // the first surface opens. Null: every machine has it.
  bool (*present)(const Store&) = nullptr;
};

// In kind order (the order of MantikSampleKind).
const std::array<SampleKindRow, kAllSampleKinds.size()>& sampleKindTable();
inline const SampleKindRow& sampleKindRow(MantikSampleKind kind) { return sampleKindTable()[kindIndex(kind)]; }

}  // namespace kovra
