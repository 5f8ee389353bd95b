#pragma once
// The quantities the store samples, the classified result of one read, and the surfaces whose
// visibility decides which quantities are sampled.

#include <array>
#include <cassert>
#include <optional>
#include <string_view>
#include <utility>

namespace kovra {

// Declaration order is the iteration order everywhere.
enum class MantikSampleKind { memory, cpu, network, processes, disk, battery, processNetwork, sensors };
inline constexpr std::array<MantikSampleKind, 8> kAllSampleKinds{
    MantikSampleKind::memory,  MantikSampleKind::cpu,     MantikSampleKind::network,        MantikSampleKind::processes,
    MantikSampleKind::disk,    MantikSampleKind::battery, MantikSampleKind::processNetwork, MantikSampleKind::sensors};

inline constexpr size_t kindIndex(MantikSampleKind k) { return static_cast<size_t>(k); }
// The kind's name in logs and queue labels.
std::string_view rawValue(MantikSampleKind k);
std::optional<MantikSampleKind> sampleKindFromRaw(std::string_view raw);
// Pause between the end of one read and the start of the next, in seconds.
double loopInterval(MantikSampleKind k);
// refreshNow() skips a kind whose last read started less than this long ago (half the interval).
double refreshThreshold(MantikSampleKind k);
// "com.example.Kovra.sample." followed by the kind's name.
std::string sampleQueueLabel(MantikSampleKind k);

// One read, classified: a value, no value yet, or a failure (already logged).
template <class Value>
class MantikReadOutcome {
 public:
  enum class Case { value, notReady, failed };

  static MantikReadOutcome of(Value v) { return MantikReadOutcome(Case::value, std::move(v)); }
  static MantikReadOutcome notReady() { return MantikReadOutcome(Case::notReady, std::nullopt); }
  static MantikReadOutcome failed() { return MantikReadOutcome(Case::failed, std::nullopt); }

  Case kind() const { return kind_; }
  bool isValue() const { return kind_ == Case::value; }
  bool isNotReady() const { return kind_ == Case::notReady; }
  bool isFailed() const { return kind_ == Case::failed; }
  const Value& value() const {
    assert(isValue());
    return *value_;
  }
  Value& value() {
    assert(isValue());
    return *value_;
  }
  bool operator==(const MantikReadOutcome&) const = default;

 private:
  MantikReadOutcome(Case k, std::optional<Value> v) : kind_(k), value_(std::move(v)) {}
  Case kind_;
  std::optional<Value> value_;
};

// The surfaces whose visibility drives sampling.
enum class Surface { menuPanel, mainWindow, networkDetail };
inline constexpr std::array<Surface, 3> kAllSurfaces{Surface::menuPanel, Surface::mainWindow, Surface::networkDetail};
std::string_view rawValue(Surface s);
std::optional<Surface> surfaceFromRaw(std::string_view raw);

}  // namespace kovra
