#include "samplers/network/network_sampler.h"

#include "samplers/network/network_address.h"

namespace kovra {
namespace {

constexpr uint64_t kMinimumInterval = 200'000'000;     // ns between two readings that give rates
constexpr uint64_t kAddressLifetime = 10'000'000'000;  // ns an address found stays cached
constexpr uint64_t kMissingAddressLifetime = 2'000'000'000;  // ns "no address" stays cached

}  // namespace

NetworkSampler::NetworkSampler(std::shared_ptr<NetworkPlatform> platform, double firstPathWaitSeconds)
    : platform_(std::move(platform)), firstPathWaitSeconds_(firstPathWaitSeconds) {}

NetworkSampler::~NetworkSampler() = default;

std::pair<double, double> NetworkSampler::accumulate(uint64_t elapsedNs) {
  uint64_t down = 0;
  uint64_t up = 0;
  for (const auto& c : current_) {
    const NetInterfaceCounter* p = nullptr;
    for (const auto& candidate : previous_) {
      if (candidate.key == c.key) {
        p = &candidate;
        break;
      }
    }
    if (p == nullptr) continue;  // just appeared: nothing to compare with yet
    // A counter that went backwards (the interface was reset) adds nothing this time.
    if (c.received >= p->received) down += c.received - p->received;
    if (c.sent > p->sent) up += c.sent - p->sent;
  }
  totalReceived_ += down;
  totalSent_ += up;
  const double seconds = static_cast<double>(elapsedNs) / 1e9;
  return {static_cast<double>(down) / seconds, static_cast<double>(up) / seconds};
}

std::optional<std::string> NetworkSampler::address(const std::string& name, int64_t generation, uint64_t now) {
  if (ipCacheName_ && *ipCacheName_ == name && ipCacheGeneration_ == generation) {
    const uint64_t age = now - ipCacheTime_;
    if (age < (ipCacheValue_ ? kAddressLifetime : kMissingAddressLifetime)) return ipCacheValue_;
  }
  auto value = interfaceAddress(*platform_, name);
  ipCacheName_ = name;
  ipCacheGeneration_ = generation;
  ipCacheValue_ = value;
  ipCacheTime_ = now;
  return value;
}

SampleResult<NetworkSnapshot> NetworkSampler::sample() {
  if (!pathWatcher_) pathWatcher_ = std::make_unique<NetPathWatcher>(*platform_);

  if (auto read = platform_->readCounters(current_); !read.ok()) return unreadable(read.error());

  const uint64_t now = platform_->monotonicNanoseconds();
  if (now == 0) return unreadable(platform_->clockFailureText());

  if (!hasBaseline_) {
    std::swap(previous_, current_);
    previousTime_ = now;
    hasBaseline_ = true;
    return notReady();
  }

  std::pair<double, double> rates;
  if (now > previousTime_ && now - previousTime_ >= kMinimumInterval) {
    rates = accumulate(now - previousTime_);
    lastRates_ = rates;
    std::swap(previous_, current_);
    previousTime_ = now;
  } else {
    // Too soon for a fair rate: repeat the last one and keep the baseline.
    if (!lastRates_) return notReady();
    rates = *lastRates_;
  }

  const double wait = hasWaitedForPath_ ? 0 : firstPathWaitSeconds_;
  hasWaitedForPath_ = true;
  const auto state = pathWatcher_->state(wait);
  if (!state) return unreadable(platform_->pathNotReadyText());

  NetworkSnapshot snapshot;
  snapshot.downloadBytesPerSecond = rates.first;
  snapshot.uploadBytesPerSecond = rates.second;
  snapshot.totalDownloadedBytes = totalReceived_;
  snapshot.totalUploadedBytes = totalSent_;
  snapshot.connection = state->kind;
  if (state->kind != ConnectionKind::none && state->interfaceName) {
    snapshot.interfaceName = state->interfaceName;
    snapshot.localIP = address(*state->interfaceName, state->generation, now);
  }
  return snapshot;
}

}  // namespace kovra
