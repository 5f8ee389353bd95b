#include "store/kinds.h"

#include <exception>
#include <functional>
#include <utility>

#include "core/records_json.h"
#include "core/sampler_set.h"
#include "core/sensor_records_json.h"
#include "logic/verdict_rules.h"
#include "store/store.h"

namespace kovra {

namespace {

// The sampler's answer, with anything it throws turned into an unreadable error.
template <class Sampler>
auto callSampler(Sampler& sampler) -> decltype(sampler.sample()) {
  try {
    return sampler.sample();
  } catch (const std::exception& e) {
    return unreadable(e.what());
  } catch (...) {
    return unreadable("bilinmeyen hata");
  }
}

}  // namespace

template <class Sampler, class Apply>
void Store::readWith(MantikSampleKind kind, const std::shared_ptr<Sampler>& sampler, Apply apply, Done done) {
  using ResultType = decltype(sampler->sample());
  SerialQueue& queue = *sampleQueues_[kindIndex(kind)];
  // Only the sampler call leaves the main sequence; the result comes back as a task.
  queue.async([sampler, apply, done = std::move(done), weak = std::weak_ptr<int>(alive_), this,
               &executor = executor_]() mutable {
    ResultType result = sampler ? callSampler(*sampler) : ResultType(notReady());
    executor.post([weak, this, apply, result = std::move(result), done = std::move(done)] {
      if (!weak.lock()) return;
      std::invoke(apply, *this, result);
      if (done) done();
    });
  });
}

// Builds the rows; a friend of the store, so the rows can name its apply steps and fields.
struct StoreKinds {
  template <MantikSampleKind Kind, auto Slot, auto Apply>
  static void read(Store& store, std::function<void()> done) {
    store.readWith(Kind, store.samplers_.*Slot, Apply, std::move(done));
  }

  // The apply step of a kind nothing else derives from: a reading is published, a failure
  // clears it.
  template <MantikSampleKind Kind, auto Field, class Result>
  static void applyReading(Store& store, const Result& result) {
    auto outcome = store.classify(result, Kind);
    if (outcome.isNotReady()) return;
    if (outcome.isFailed()) {
      store.publish(store.*Field, std::nullopt);
    } else {
      store.publish(store.*Field, outcome.value());
    }
  }

  template <MantikSampleKind Kind, auto Slot, auto Field>
  static void readOnly(Store& store, std::function<void()> done) {
    using Result = decltype((store.samplers_.*Slot)->sample());
    store.readWith(Kind, store.samplers_.*Slot, &applyReading<Kind, Field, Result>, std::move(done));
  }

  template <auto Slot>
  static void dump(const SamplerSet& samplers, Json& value, std::optional<std::string>& error) {
    const auto& sampler = samplers.*Slot;
    if (!sampler) return;
    auto result = sampler->sample();
    if (!result.ok()) {
      error = result.error().text();
      return;
    }
    const auto& reading = result.value();
    if constexpr (json_detail::IsOptional<std::decay_t<decltype(reading)>>::value) {
      if (reading) value = toJson(*reading);
    } else {
      value = toJson(reading);
    }
  }

  static std::array<SampleKindRow, kAllSampleKinds.size()> make() {
    using K = MantikSampleKind;
    using S = SeriesKind;
    using namespace Wanted;
    return {{
        {K::memory, "memory", 2, always, true, true, {S::memoryUsed}, &Store::memoryHistoryRevision_, CardKind::memory,
         [](const Store& s) { return MantikVerdictRules::memoryVerdict(s.memory(), s.processes()); },
         &read<K::memory, &SamplerSet::memory, &Store::applyMemory>, &dump<&SamplerSet::memory>, 0},
        {K::cpu, "cpu", 1, panelOrWindow, true, false, {S::cpuUsage}, &Store::cpuHistoryRevision_, CardKind::cpu,
         [](const Store& s) {
           std::optional<AppUsage> top;
           if (s.processes()) {
             auto apps = s.processes()->topByCPU(1);
             if (!apps.empty()) top = std::move(apps.front());
           }
           return MantikVerdictRules::cpuVerdict(s.cpu(), s.cpuTracker_.isSustained(s.clock_.uptime()), top,
                                                 s.cpuTracker_.threshold);
         },
         &read<K::cpu, &SamplerSet::cpu, &Store::applyCPU>, &dump<&SamplerSet::cpu>, 1},
        {K::network, "network", 1, panelOrWindow | networkDetail | labelNetwork, true, true,
         {S::networkDownload, S::networkUpload}, &Store::networkHistoryRevision_, CardKind::network,
         [](const Store& s) { return MantikVerdictRules::networkVerdict(s.network()); },
         &read<K::network, &SamplerSet::network, &Store::applyNetwork>, &dump<&SamplerSet::network>, 2},
        {K::processes, "processes", 3, panelOrWindow | networkDetail | memoryPressure, true, false, {}, nullptr,
         std::nullopt, nullptr, &read<K::processes, &SamplerSet::processes, &Store::applyProcesses>,
         &dump<&SamplerSet::processes>, 4},
        {K::disk, "disk", 30, always, true, false, {}, nullptr, CardKind::disk,
         [](const Store& s) { return MantikVerdictRules::diskVerdict(s.disk()); },
         &read<K::disk, &SamplerSet::disk, &Store::applyDisk>, &dump<&SamplerSet::disk>, 3},
        // Absent on a machine without a battery; nothing derives from it.
        {K::battery, "battery", 10, panelOrWindow, true, false, {}, nullptr, std::nullopt, nullptr,
         &readOnly<K::battery, &SamplerSet::battery, &Store::battery_>, &dump<&SamplerSet::battery>, 5},
        {K::processNetwork, "processNetwork", 2, networkDetail, false, false, {}, nullptr, std::nullopt, nullptr,
         &read<K::processNetwork, &SamplerSet::processNetwork, &Store::applyProcessNetwork>, &dump<&SamplerSet::processNetwork>, 6},
        // Temperatures and fans: a dozen kept-descriptor reads, but a drive's sensor may answer
        // only after a command to the drive, so it is read on the worker.
        {K::sensors, "sensors", 2, panelOrWindow | labelTemperature, true, false, {}, &Store::sensorsHistoryRevision_,
         CardKind::sensors, [](const Store& s) { return s.sensorsVerdict(); },
         &read<K::sensors, &SamplerSet::sensors, &Store::applySensors>, &dump<&SamplerSet::sensors>, 7,
         [](const Store& s) { return s.sensors() && !s.sensors()->parts.empty(); }},
    }};
  }
};

const std::array<SampleKindRow, kAllSampleKinds.size()>& sampleKindTable() {
  static const auto table = [] {
    auto rows = StoreKinds::make();
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].kind != kAllSampleKinds[i]) std::terminate();  // rows out of kind order
    }
    return rows;
  }();
  return table;
}

}  // namespace kovra
