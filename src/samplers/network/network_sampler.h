#pragma once
// Network throughput of the physical interfaces, the bytes moved since the sampler started, and
// what the machine is connected through. Needs two readings at least 200 ms apart before it has
// rates; called from one serial queue at a time.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/contracts.h"
#include "platform/network.h"
#include "samplers/network/path_watcher.h"

namespace kovra {

class NetworkSampler : public NetworkSampling {
 public:
  // `firstPathWaitSeconds`: how long the first reading may wait for the first path report.
  explicit NetworkSampler(std::shared_ptr<NetworkPlatform> platform = makeSystemNetworkPlatform(),
                          double firstPathWaitSeconds = 0.5);
  ~NetworkSampler() override;

  SampleResult<NetworkSnapshot> sample() override;

 private:
  std::pair<double, double> accumulate(uint64_t elapsedNs);
  std::optional<std::string> address(const std::string& name, int64_t generation, uint64_t now);

  std::shared_ptr<NetworkPlatform> platform_;
  double firstPathWaitSeconds_;
  std::vector<NetInterfaceCounter> previous_;
  std::vector<NetInterfaceCounter> current_;
  uint64_t previousTime_ = 0;
  bool hasBaseline_ = false;
  std::optional<std::pair<double, double>> lastRates_;
  uint64_t totalReceived_ = 0;
  uint64_t totalSent_ = 0;
  std::unique_ptr<NetPathWatcher> pathWatcher_;
  bool hasWaitedForPath_ = false;
  std::optional<std::string> ipCacheName_;
  int64_t ipCacheGeneration_ = -1;
  std::optional<std::string> ipCacheValue_;
  uint64_t ipCacheTime_ = 0;
};

}  // namespace kovra
