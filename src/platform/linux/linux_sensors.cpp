#include "platform/linux/linux_sensors.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/linux/hwmon.h"

namespace kovra {

namespace {

constexpr size_t kMaxEntries = 4096;  // names taken from one folder

double monotonicSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

UniqueFd openAt(int dir, const std::string& name, int flags) {
  return UniqueFd(::openat(dir, name.c_str(), flags | O_RDONLY | O_CLOEXEC));
}

// A small attribute's whole text, or nothing.
std::optional<std::string> readSmall(int dir, const std::string& name) {
  UniqueFd fd = openAt(dir, name, 0);
  if (!fd.valid()) return std::nullopt;
  char buffer[512];
  ssize_t n;
  do {
    n = ::pread(fd.get(), buffer, sizeof buffer, 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(n));
}

std::vector<std::string> listFolder(int dir) {
  std::vector<std::string> names;
  const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return names;
  DIR* d = ::fdopendir(copy);
  if (d == nullptr) {
    ::close(copy);
    return names;
  }
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
    if (names.size() >= kMaxEntries) break;
  }
  ::closedir(d);
  return names;
}

// The entries of `dir` named prefix<N>, in the order of N.
std::vector<std::string> numbered(int dir, std::string_view prefix) {
  std::vector<std::pair<uint64_t, std::string>> found;
  for (auto& name : listFolder(dir)) {
    if (name.size() <= prefix.size() || std::string_view(name).substr(0, prefix.size()) != prefix) continue;
    const auto n = linuxfs::hwmon::parseInteger(std::string_view(name).substr(prefix.size()));
    if (!n || *n < 0) continue;
    found.emplace_back(static_cast<uint64_t>(*n), std::move(name));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& [n, name] : found) names.push_back(std::move(name));
  if (names.size() > LinuxSensorsPlatform::kMaxFolders) names.resize(LinuxSensorsPlatform::kMaxFolders);
  return names;
}

std::string readLink(int dir, const char* name) {
  char target[4096];
  const ssize_t n = ::readlinkat(dir, name, target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

std::string lastComponent(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::optional<std::string> labelOf(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string label = linuxfs::hwmon::parseLabel(*text);
  return label.empty() ? std::nullopt : std::optional<std::string>(std::move(label));
}

}  // namespace

std::unique_ptr<SensorsPlatform> makeSensorsPlatform() { return std::make_unique<LinuxSensorsPlatform>(); }

LinuxSensorsPlatform::LinuxSensorsPlatform(std::string sysRoot, Clock clock)
    : root_(std::move(sysRoot)), clock_(clock ? std::move(clock) : Clock(monotonicSeconds)) {}

void LinuxSensorsPlatform::list(std::vector<SensorChannel>& channels) {
  channels.clear();
  kept_.clear();
  sleepers_.clear();
  listHwmon(channels);
  const bool anyTemperature =
      std::any_of(channels.begin(), channels.end(), [](const SensorChannel& c) { return !c.fan; });
  if (!anyTemperature) listThermal(channels);
}

void LinuxSensorsPlatform::listHwmon(std::vector<SensorChannel>& channels) {
  UniqueFd classDir(::open((root_ + "/class/hwmon").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!classDir.valid()) return;
  for (const auto& folder : numbered(classDir.get(), "hwmon")) {
    // A link that loops or leads nowhere fails here (ELOOP, ENOENT) and the chip is left out.
    UniqueFd chipDir = openAt(classDir.get(), folder, O_DIRECTORY);
    if (!chipDir.valid()) continue;
    std::string chip = labelOf(readSmall(chipDir.get(), "name")).value_or(folder);
    // The class entry's link spells out where the chip sits ("…/power_supply/BAT0/hwmon/hwmon3"),
    // the chip's `device` link names the device itself ("../../nvme0").
    const std::string place = readLink(classDir.get(), folder.c_str());
    const std::string link = readLink(chipDir.get(), "device");

    // Older drivers keep their attributes in the device's folder instead.
    std::vector<std::string> files = listFolder(chipDir.get());
    int attributes = chipDir.get();
    UniqueFd deviceDir;
    if (std::none_of(files.begin(), files.end(), [](const std::string& f) { return linuxfs::hwmon::parseAttribute(f).has_value(); })) {
      deviceDir = openAt(chipDir.get(), "device", O_DIRECTORY);
      if (!deviceDir.valid()) continue;
      files = listFolder(deviceDir.get());
      attributes = deviceDir.get();
    }
    const auto found = linuxfs::hwmon::parseFolder(
        chip, files, [&](const std::string& name) { return readSmall(attributes, name); });
    if (found.empty()) continue;

    const SensorPart part = linuxfs::hwmon::partOfChip(chip, place);
    const bool distinct = part == SensorPart::drive || part == SensorPart::graphics;
    const std::string device = distinct && !link.empty() ? lastComponent(link) : std::string();
    const std::string model = distinct ? labelOf(readSmall(chipDir.get(), "device/model")).value_or("") : "";
    int sleeper = -1;
    if (part == SensorPart::graphics) {
      UniqueFd status = openAt(chipDir.get(), "device/power/runtime_status", 0);
      if (status.valid()) {
        sleepers_.push_back({std::move(status), false});
        sleeper = static_cast<int>(sleepers_.size()) - 1;
      }
    }
    for (const auto& c : found) {
      // A file listed a moment ago may be gone already (a drive pulled out): leave it out.
      UniqueFd input = openAt(attributes, c.inputFile, 0);
      if (!input.valid()) continue;
      SensorChannel ch;
      ch.part = part;
      ch.fan = c.fan;
      ch.relevant = c.relevant;
      ch.device = device;
      ch.model = model;
      ch.chip = chip;
      ch.label = c.label;
      ch.max = c.max;
      ch.crit = c.crit;
      channels.push_back(std::move(ch));
      kept_.push_back({std::move(input), c.fan ? 1.0 : 1000.0, sleeper});
    }
  }
}

void LinuxSensorsPlatform::listThermal(std::vector<SensorChannel>& channels) {
  UniqueFd classDir(::open((root_ + "/class/thermal").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!classDir.valid()) return;
  for (const auto& zone : numbered(classDir.get(), "thermal_zone")) {
    UniqueFd zoneDir = openAt(classDir.get(), zone, O_DIRECTORY);
    if (!zoneDir.valid()) continue;
    UniqueFd input = openAt(zoneDir.get(), "temp", 0);
    if (!input.valid()) continue;
    SensorChannel ch;
    ch.chip = labelOf(readSmall(zoneDir.get(), "type")).value_or(zone);
    ch.label = zone;
    ch.part = linuxfs::hwmon::partOfZone(ch.chip);
    for (int i = 0; i < 32; ++i) {
      const std::string trip = "trip_point_" + std::to_string(i) + "_";
      const auto type = labelOf(readSmall(zoneDir.get(), trip + "type"));
      if (!type) break;
      const auto text = readSmall(zoneDir.get(), trip + "temp");
      const auto millis = text ? linuxfs::hwmon::parseInteger(*text) : std::nullopt;
      if (!millis) continue;
      const double c = static_cast<double>(*millis) / 1000.0;
      if (!linuxfs::hwmon::plausibleCelsius(c)) continue;
      if (*type == "critical") ch.crit = c;
      if (*type == "hot") ch.max = c;
    }
    channels.push_back(std::move(ch));
    kept_.push_back({std::move(input), 1000.0, -1});
  }
}

void LinuxSensorsPlatform::read(std::vector<SensorChannel>& channels) {
  const double now = clock_();
  if (relist_ || !listedAt_ || now - *listedAt_ >= kRescanSeconds || channels.size() != kept_.size()) {
    list(channels);
    listedAt_ = now;
    relist_ = false;
  }

  char buffer[64];
  auto readInto = [&](int fd) {
    ssize_t n;
    do {
      n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    } while (n < 0 && errno == EINTR);
    return n;
  };
  for (auto& s : sleepers_) {
    const ssize_t n = readInto(s.status.get());
    s.suspended = n >= 9 && std::string_view(buffer, 9) == "suspended";
  }
  for (size_t i = 0; i < channels.size(); ++i) {
    SensorChannel& ch = channels[i];
    const Kept& k = kept_[i];
    if (k.sleeper >= 0 && sleepers_[static_cast<size_t>(k.sleeper)].suspended) {
      ch.state = SensorState::asleep;
      continue;
    }
    const ssize_t n = readInto(k.input.get());
    if (n < 0) {
      const int err = errno;
      ch.state = err == ENODEV || err == ENOENT ? SensorState::gone : SensorState::unreadable;
      if (ch.state == SensorState::gone) relist_ = true;
      continue;
    }
    const auto raw = linuxfs::hwmon::parseInteger(std::string_view(buffer, static_cast<size_t>(n)));
    if (!raw) {
      ch.state = SensorState::unreadable;
      continue;
    }
    ch.value = static_cast<double>(*raw) / k.scale;
    const bool plausible = ch.fan ? linuxfs::hwmon::plausibleRpm(ch.value) : linuxfs::hwmon::plausibleCelsius(ch.value);
    ch.state = plausible ? SensorState::ok : SensorState::implausible;
  }
}

}  // namespace kovra
