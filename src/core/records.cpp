#include "core/records.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kovra {

namespace {

template <class E, size_t N>
std::optional<E> findRaw(const std::array<std::pair<E, std::string_view>, N>& table, std::string_view raw) {
  for (const auto& [e, name] : table) {
    if (name == raw) return e;
  }
  return std::nullopt;
}

template <class E, size_t N>
std::string_view nameOf(const std::array<std::pair<E, std::string_view>, N>& table, E e) {
  for (const auto& [k, name] : table) {
    if (k == e) return name;
  }
  return {};
}

constexpr std::array<std::pair<ConnectionKind, std::string_view>, 4> kConnectionNames{{
    {ConnectionKind::wifi, "wifi"},
    {ConnectionKind::ethernet, "ethernet"},
    {ConnectionKind::other, "other"},
    {ConnectionKind::none, "none"},
}};
constexpr std::array<std::pair<AppGroupKind, std::string_view>, 2> kGroupNames{{
    {AppGroupKind::app, "app"},
    {AppGroupKind::system, "system"},
}};
constexpr std::array<std::pair<CardKind, std::string_view>, 5> kCardNames{{
    {CardKind::memory, "memory"},
    {CardKind::network, "network"},
    {CardKind::disk, "disk"},
    {CardKind::cpu, "cpu"},
    {CardKind::sensors, "sensors"},
}};
constexpr std::array<std::pair<SeriesKind, std::string_view>, 4> kSeriesNames{{
    {SeriesKind::memoryUsed, "memoryUsed"},
    {SeriesKind::cpuUsage, "cpuUsage"},
    {SeriesKind::networkDownload, "networkDownload"},
    {SeriesKind::networkUpload, "networkUpload"},
}};

uint64_t saturatingAdd(uint64_t a, uint64_t b) {
  return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

}  // namespace

std::optional<MemoryPressure> memoryPressureFromRaw(long long raw) {
  switch (raw) {
    case 1: return MemoryPressure::normal;
    case 2: return MemoryPressure::warning;
    case 4: return MemoryPressure::critical;
    default: return std::nullopt;
  }
}

std::optional<Severity> severityFromRaw(long long raw) {
  if (raw < 0 || raw > 3) return std::nullopt;
  return static_cast<Severity>(raw);
}

std::string_view rawValue(ConnectionKind k) { return nameOf(kConnectionNames, k); }
std::optional<ConnectionKind> connectionKindFromRaw(std::string_view raw) { return findRaw(kConnectionNames, raw); }
std::string_view rawValue(AppGroupKind k) { return nameOf(kGroupNames, k); }
std::optional<AppGroupKind> appGroupKindFromRaw(std::string_view raw) { return findRaw(kGroupNames, raw); }
std::string_view rawValue(CardKind k) { return nameOf(kCardNames, k); }
std::optional<CardKind> cardKindFromRaw(std::string_view raw) { return findRaw(kCardNames, raw); }
std::string_view rawValue(SeriesKind k) { return nameOf(kSeriesNames, k); }
std::optional<SeriesKind> seriesKindFromRaw(std::string_view raw) { return findRaw(kSeriesNames, raw); }

uint64_t MemorySnapshot::usedBytes() const {
  return saturatingAdd(saturatingAdd(appBytes, wiredBytes), compressedBytes);
}

double MemorySnapshot::usedFraction() const {
  if (totalBytes == 0) return 0;
  return static_cast<double>(usedBytes()) / static_cast<double>(totalBytes);
}

std::optional<double> DiskSnapshot::freeFraction() const {
  if (totalBytes == 0) return std::nullopt;
  return static_cast<double>(availableBytes) / static_cast<double>(totalBytes);
}

std::vector<AppUsage> ProcessListSnapshot::topByCPU(size_t limit) const {
  std::vector<AppUsage> out;
  for (const auto& app : apps) {
    if (app.cpuFraction) out.push_back(app);
  }
  // A NaN share sorts last so the ordering stays strict and weak.
  auto key = [](const AppUsage& a) {
    return std::isnan(*a.cpuFraction) ? -std::numeric_limits<double>::infinity() : *a.cpuFraction;
  };
  std::stable_sort(out.begin(), out.end(), [&](const AppUsage& a, const AppUsage& b) { return key(a) > key(b); });
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::optional<AppUsage> ProcessListSnapshot::topTerminableApp() const {
  for (const auto& app : apps) {
    if (app.canTerminate) return app;
  }
  return std::nullopt;
}

}  // namespace kovra
