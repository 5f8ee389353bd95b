#include "platform/fake/network_fake.h"

#include <arpa/inet.h>
#include <sys/socket.h>

namespace kovra {
namespace {

class FakeNetworkPathMonitor : public NetworkPathMonitor {
 public:
  FakeNetworkPathMonitor(std::shared_ptr<FakeNetworkPlatform::Channel> channel, std::optional<NetworkPath> initial)
      : channel_(std::move(channel)), initial_(std::move(initial)) {}
  ~FakeNetworkPathMonitor() override { cancel(); }

  void start(Handler handler) override {
    std::lock_guard guard(channel_->lock);
    channel_->handler = std::move(handler);
    if (initial_) channel_->handler(*initial_);
  }

  void cancel() override {
    std::lock_guard guard(channel_->lock);
    channel_->handler = nullptr;
  }

 private:
  std::shared_ptr<FakeNetworkPlatform::Channel> channel_;
  std::optional<NetworkPath> initial_;
};

}  // namespace

int FakeNetworkPlatform::monitorsMade() const {
  std::lock_guard guard(channel_->lock);
  return channel_->made;
}

bool FakeNetworkPlatform::monitorRunning() const {
  std::lock_guard guard(channel_->lock);
  return static_cast<bool>(channel_->handler);
}

bool FakeNetworkPlatform::deliverPath(const NetworkPath& path) {
  std::lock_guard guard(channel_->lock);
  if (!channel_->handler) return false;
  channel_->handler(path);
  return true;
}

NetInterfaceCounter FakeNetworkPlatform::counter(std::string_view name, uint64_t received, uint64_t sent) {
  return {interfaceKey(name), received, sent};
}

InterfaceAddressEntry FakeNetworkPlatform::address(std::string_view name, std::string_view text) {
  InterfaceAddressEntry e;
  e.name = std::string(name);
  const std::string copy(text);
  if (inet_pton(AF_INET, copy.c_str(), e.bytes.data()) == 1) {
    e.family = InterfaceAddressEntry::Family::ipv4;
  } else if (inet_pton(AF_INET6, copy.c_str(), e.bytes.data()) == 1) {
    e.family = InterfaceAddressEntry::Family::ipv6;
  }
  return e;
}

NetworkPath FakeNetworkPlatform::path(bool satisfied, std::vector<NetworkPath::Interface> interfaces) {
  NetworkPath p;
  p.satisfied = satisfied;
  p.availableInterfaces = std::move(interfaces);
  return p;
}

Result<Unit, std::string> FakeNetworkPlatform::readCounters(std::vector<NetInterfaceCounter>& out) {
  ++counterReads;
  if (counterError) return Failure{*counterError};
  out.assign(counters.begin(), counters.end());
  return Unit{};
}

std::optional<std::vector<InterfaceAddressEntry>> FakeNetworkPlatform::interfaceAddresses() {
  ++addressLookups;
  return addresses;
}

std::unique_ptr<NetworkPathMonitor> FakeNetworkPlatform::makePathMonitor() {
  {
    std::lock_guard guard(channel_->lock);
    ++channel_->made;
  }
  return std::make_unique<FakeNetworkPathMonitor>(channel_, initialPath);
}

}  // namespace kovra
