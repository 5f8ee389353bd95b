#include "platform/linux/cgroup_unit.h"

#include <vector>

namespace kovra::linux_proc {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && hexDigit(s[i + 2]) >= 0 && hexDigit(s[i + 3]) >= 0) {
      out.push_back(static_cast<char>(hexDigit(s[i + 2]) * 16 + hexDigit(s[i + 3])));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  if (out.empty() || out == "." || out == ".." || out.find('/') != std::string::npos ||
      out.find('\0') != std::string::npos) {
    return std::nullopt;
  }
  return out;
}

std::vector<std::string_view> splitDashes(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t at = 0;
  while (true) {
    size_t dash = s.find('-', at);
    parts.push_back(s.substr(at, dash == std::string_view::npos ? std::string_view::npos : dash - at));
    if (dash == std::string_view::npos) break;
    at = dash + 1;
  }
  return parts;
}

bool isHex(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (hexDigit(c) < 0) return false;
  }
  return true;
}

// <launcher>-<AppID> or <AppID>; an AppID with raw dashes keeps them.
std::optional<std::string> appIdFromParts(const std::vector<std::string_view>& parts, size_t count) {
  if (count == 0) return std::nullopt;
  size_t first = count == 1 ? 0 : 1;
  std::string joined;
  for (size_t i = first; i < count; ++i) {
    if (parts[i].empty()) return std::nullopt;
    if (i > first) joined.push_back('-');
    joined.append(parts[i]);
  }
  return unescape(joined);
}

}  // namespace

std::optional<std::string> appIdFromUnit(std::string_view unit) {
  if (unit.starts_with("snap.") && unit.ends_with(".scope")) {
    std::string_view body = unit.substr(5, unit.size() - 5 - 6);
    size_t dot = body.find('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    std::string_view snap = body.substr(0, dot);
    std::string_view app = body.substr(dot + 1);
    // The app name may hold dashes; the uuid after it has five dash-separated hex groups.
    auto parts = splitDashes(app);
    size_t keep = parts.size();
    if (keep > 5 && parts[keep - 5].size() == 8 && isHex(parts[keep - 5]) && isHex(parts[keep - 1])) {
      keep -= 5;
    } else if (keep > 1) {
      keep -= 1;
    }
    std::string name;
    for (size_t i = 0; i < keep; ++i) {
      if (i > 0) name.push_back('-');
      name.append(parts[i]);
    }
    if (name.empty()) return std::nullopt;
    return unescape(std::string(snap) + "_" + name);
  }
  if (!unit.starts_with("app-")) return std::nullopt;
  if (unit.ends_with(".scope")) {
    auto parts = splitDashes(unit.substr(4, unit.size() - 4 - 6));
    // The last piece is the instance number.
    if (parts.size() < 2 || !isHex(parts.back())) return std::nullopt;
    return appIdFromParts(parts, parts.size() - 1);
  }
  if (unit.ends_with(".service")) {
    std::string_view body = unit.substr(4, unit.size() - 4 - 8);
    if (size_t at = body.find('@'); at != std::string_view::npos) body = body.substr(0, at);
    auto parts = splitDashes(body);
    return appIdFromParts(parts, parts.size());
  }
  return std::nullopt;
}

namespace {

struct CgroupPaths {
  std::string_view unified;
  std::string_view named;
};

CgroupPaths cgroupPaths(std::string_view cgroupFile) {
  CgroupPaths p;
  size_t at = 0;
  while (at < cgroupFile.size()) {
    size_t end = cgroupFile.find('\n', at);
    std::string_view line =
        cgroupFile.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    size_t c1 = line.find(':');
    size_t c2 = c1 == std::string_view::npos ? c1 : line.find(':', c1 + 1);
    if (c2 != std::string_view::npos) {
      std::string_view id = line.substr(0, c1);
      std::string_view controllers = line.substr(c1 + 1, c2 - c1 - 1);
      std::string_view path = line.substr(c2 + 1);
      if (id == "0" && controllers.empty()) p.unified = path;
      if (controllers == "name=systemd") p.named = path;
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return p;
}

}  // namespace

bool appIdFollowsUnifiedPath(std::string_view cgroupFile) { return cgroupPaths(cgroupFile).unified.size() > 1; }

std::optional<std::string> appIdFromCgroup(std::string_view cgroupFile) {
  auto [unified, named] = cgroupPaths(cgroupFile);
  std::string_view path = unified.size() > 1 ? unified : named;
  // Innermost component first.
  while (!path.empty()) {
    size_t slash = path.rfind('/');
    std::string_view component = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (auto id = appIdFromUnit(component)) return id;
    if (slash == std::string_view::npos) break;
    path = path.substr(0, slash);
  }
  return std::nullopt;
}

}  // namespace kovra::linux_proc
