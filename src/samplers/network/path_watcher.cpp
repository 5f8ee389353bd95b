#include "samplers/network/path_watcher.h"

#include <chrono>

#include "core/log.h"

namespace kovra {

NetPathWatcher::NetPathWatcher(NetworkPlatform& platform) : monitor_(platform.makePathMonitor()) {
  // The monitor is cancelled (and its thread joined) before any member goes away, so the
  // handler may refer to this watcher.
  monitor_->start([this](const NetworkPath& path) { update(path); });
}

NetPathWatcher::~NetPathWatcher() { monitor_->cancel(); }

std::pair<ConnectionKind, std::optional<std::string>> NetPathWatcher::resolve(const NetworkPath& path) {
  if (!path.satisfied) return {ConnectionKind::none, std::nullopt};
  using Type = NetworkPath::InterfaceType;
  for (const auto& i : path.availableInterfaces) {
    if (i.type == Type::wifi) return {ConnectionKind::wifi, i.name};
    if (i.type == Type::wiredEthernet) return {ConnectionKind::ethernet, i.name};
  }
  for (const auto& i : path.availableInterfaces) {
    if (i.name.starts_with("en")) return {ConnectionKind::other, i.name};
  }
  for (const auto& i : path.availableInterfaces) {
    if (i.type != Type::loopback) return {ConnectionKind::other, i.name};
  }
  return {ConnectionKind::other, std::nullopt};
}

void NetPathWatcher::update(const NetworkPath& path) {
  auto [kind, name] = resolve(path);
  bool wasEmpty = false;
  {
    std::lock_guard guard(lock_);
    wasEmpty = !latest_.has_value();
    const int64_t generation = (wasEmpty ? 0 : latest_->generation) + 1;
    latest_ = State{kind, name, generation};
  }
  if (wasEmpty) firstUpdate_.release();
  std::string line = "Ağ yolu: ";
  line += rawValue(kind);
  line += " ";
  line += name.value_or("-");
  Log::sampler.debug(line);
}

std::optional<NetPathWatcher::State> NetPathWatcher::state(double seconds) {
  {
    std::lock_guard guard(lock_);
    if (latest_) return latest_;
  }
  if (!(seconds > 0)) return std::nullopt;
  // Signalled once, by the first update; from then on the state is always there.
  (void)firstUpdate_.try_acquire_for(std::chrono::duration<double>(seconds));
  std::lock_guard guard(lock_);
  return latest_;
}

}  // namespace kovra
