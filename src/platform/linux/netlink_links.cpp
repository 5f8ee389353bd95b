#include "platform/linux/netlink_links.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace kovra::netlink {
namespace {

constexpr std::string_view kWhat = "netlink RTM_GETLINK";
constexpr int kAttempts = 4;

struct LinkRequest {
  nlmsghdr header;
  ifinfomsg info;
};

LinkRequest makeRequest(uint32_t sequence, int32_t index) {
  LinkRequest r{};
  r.header.nlmsg_len = sizeof r;
  r.header.nlmsg_type = RTM_GETLINK;
  r.header.nlmsg_flags = static_cast<uint16_t>(NLM_F_REQUEST | (index == 0 ? NLM_F_DUMP : 0));
  r.header.nlmsg_seq = sequence;
  r.info.ifi_family = AF_UNSPEC;
  r.info.ifi_index = index;
  return r;
}

std::span<const uint8_t> bytesOf(const LinkRequest& r) { return {reinterpret_cast<const uint8_t*>(&r), sizeof r}; }

}  // namespace

LinkCounters LinkCounters::from(const Link& link) {
  LinkCounters c;
  c.index = link.index;
  c.type = link.type;
  c.flags = link.flags;
  std::memcpy(c.nameBytes.data(), link.name.data(), std::min(link.name.size(), kMaxNameLength));
  c.received = link.received;
  c.sent = link.sent;
  return c;
}

Result<Unit, std::string> LinkReader::readAll(std::vector<LinkCounters>& out) {
  if (!socket_.isOpen()) {
    if (int code = socket_.open(); code != 0) return Failure{failureText(kWhat, code)};
  }
  const uint32_t sequence = socket_.nextSequence();
  const auto request = makeRequest(sequence, 0);
  return exchange(bytesOf(request), sequence, true, out);
}

std::optional<LinkCounters> LinkReader::link(int32_t index) {
  if (index <= 0) return std::nullopt;
  if (!socket_.isOpen() && socket_.open() != 0) return std::nullopt;
  std::vector<LinkCounters> found;
  const uint32_t sequence = socket_.nextSequence();
  const auto request = makeRequest(sequence, index);
  auto result = exchange(bytesOf(request), sequence, false, found);
  if (!result.ok() || found.empty()) return std::nullopt;
  return found.front();
}

// Sends the request and collects RTM_NEWLINK replies of its sequence until the dump ends (or,
// for a single link, until the one reply). A datagram that did not fit grows the buffer to half
// again its size and the request starts over on a fresh socket, at most four times.
Result<Unit, std::string> LinkReader::exchange(std::span<const uint8_t> request, uint32_t sequence, bool dump,
                                               std::vector<LinkCounters>& out) {
  if (buffer_.empty()) buffer_.resize(std::max<size_t>(initialBuffer_, 1));

  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    out.clear();
    if (!socket_.isOpen()) {
      if (int code = socket_.open(); code != 0) return Failure{failureText(kWhat, code)};
    }
    if (int code = socket_.send(request); code != 0) {
      socket_.close();
      return Failure{failureText(kWhat, code)};
    }
    for (;;) {
      const ssize_t n = socket_.receive(buffer_);
      if (n < 0) {
        socket_.close();
        return Failure{failureText(kWhat, static_cast<int>(-n))};
      }
      const auto length = static_cast<size_t>(n);
      if (length > buffer_.size()) {
        // The rest of this dump is unusable: start over with room to spare.
        socket_.close();
        buffer_.resize(length + length / 2);
        break;
      }
      if (length == 0) {
        socket_.close();
        return Failure{std::string(kWhat) + ": boş yanıt"};
      }
      const std::span<const uint8_t> datagram(buffer_.data(), length);
      size_t offset = 0;
      while (auto message = nextMessage(datagram, offset)) {
        if (message->seq != sequence) continue;  // a late reply to an earlier request
        if (message->type == NLMSG_DONE) return Unit{};
        if (message->type == NLMSG_ERROR) {
          const int code = errorCode(*message);
          if (code == 0) continue;
          if (!dump) return Unit{};  // no such link: nothing found
          socket_.close();
          return Failure{failureText(kWhat, code)};
        }
        if (auto link = parseLink(*message)) {
          out.push_back(LinkCounters::from(*link));
          if (!dump) return Unit{};
        }
      }
    }
  }
  return Failure{std::string(kWhat) + ": tampon yetmedi"};
}

// ---- sysfs -------------------------------------------------------------------------------------

std::string Sysfs::interfacePath(std::string_view name) const {
  std::string path = root_;
  path += "/class/net/";
  path += name;
  return path;
}

bool Sysfs::isPhysical(std::string_view name) const {
  if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") return false;
  const std::string path = interfacePath(name);
  char target[4096];
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  if (n < 0) return false;
  const std::string_view link(target, static_cast<size_t>(n));
  if (link.find("/devices/virtual/") != std::string_view::npos) return false;
  struct stat info{};
  return ::stat((path + "/device").c_str(), &info) == 0;
}

bool Sysfs::isWireless(std::string_view name) const {
  if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") return false;
  const std::string path = interfacePath(name);
  struct stat info{};
  if (::stat((path + "/phy80211").c_str(), &info) == 0) return true;
  if (::stat((path + "/wireless").c_str(), &info) == 0) return true;
  std::ifstream uevent(path + "/uevent");
  std::string line;
  while (std::getline(uevent, line)) {
    if (line == "DEVTYPE=wlan") return true;
  }
  return false;
}

void PhysicalLinkCache::refresh(const std::vector<LinkCounters>& links) {
  for (auto& e : entries_) e.seen = false;
  for (const auto& link : links) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.index == link.index && e.name == link.nameBytes; });
    if (it == entries_.end()) {
      Entry e;
      e.index = link.index;
      e.name = link.nameBytes;
      e.physical = sysfs_.isPhysical(link.name());
      entries_.push_back(e);
      it = entries_.end() - 1;
    }
    it->seen = true;
  }
  std::erase_if(entries_, [](const Entry& e) { return !e.seen; });
}

bool PhysicalLinkCache::isPhysical(const LinkCounters& link) const {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.index == link.index && e.name == link.nameBytes; });
  return it != entries_.end() && it->physical;
}

}  // namespace kovra::netlink
