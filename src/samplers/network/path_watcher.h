#pragma once
// Follows the network path and keeps its latest state under a lock: what kind of connection the
// machine uses and through which interface. The platform's monitor reports on its own thread;
// the sampler reads the state from its queue.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <utility>

#include "core/records.h"
#include "platform/network.h"

namespace kovra {

class NetPathWatcher {
 public:
  struct State {
    ConnectionKind kind = ConnectionKind::none;
    std::optional<std::string> interfaceName;
    int64_t generation = 0;  // 1 for the first path, +1 for every later update
    bool operator==(const State&) const = default;
  };

  // Starts monitoring at once.
  explicit NetPathWatcher(NetworkPlatform& platform);
  // Stops the monitor; no update runs after this returns.
  ~NetPathWatcher();
  NetPathWatcher(const NetPathWatcher&) = delete;
  NetPathWatcher& operator=(const NetPathWatcher&) = delete;

  // The latest state; when there is none yet and `seconds` > 0, waits up to that long for the
  // first one.
  std::optional<State> state(double seconds);

  // Records a path reported by the monitor (called on the monitor's thread).
  void update(const NetworkPath& path);

  static std::pair<ConnectionKind, std::optional<std::string>> resolve(const NetworkPath& path);

 private:
  std::mutex lock_;
  std::optional<State> latest_;
  std::counting_semaphore<> firstUpdate_{0};
  std::unique_ptr<NetworkPathMonitor> monitor_;
};

}  // namespace kovra
