#include "platform/linux/linux_disk_volume.h"

#include <dirent.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/linux/kernel_file.h"
#include "platform/linux/kernel_text.h"

namespace kovra {

namespace linuxfs {

namespace {

std::string_view nextField(std::string_view& line) {
  skipSpaces(line);
  size_t end = 0;
  while (end < line.size() && !isSpace(line[end])) ++end;
  std::string_view field = line.substr(0, end);
  line.remove_prefix(end);
  return field;
}

std::string decodeOctal(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && s.size() - i >= 4) {
      auto oct = [](char c) { return c >= '0' && c <= '7'; };
      if (oct(s[i + 1]) && oct(s[i + 2]) && oct(s[i + 3])) {
        int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
        if (v <= 255) {
          out.push_back(static_cast<char>(v));
          i += 3;
          continue;
        }
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// Whether `mount` is `path` or a folder above it.
bool holds(std::string_view mount, std::string_view path) {
  if (mount == "/") return !path.empty() && path.front() == '/';
  if (path.substr(0, mount.size()) != mount) return false;
  return path.size() == mount.size() || path[mount.size()] == '/';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<MountEntry> findMount(std::string_view mountinfo, std::string_view majorMinor, std::string_view path) {
  std::optional<MountEntry> best;
  size_t bestLength = 0;
  while (!mountinfo.empty()) {
    std::string_view line = nextLine(mountinfo);
    nextField(line);  // mount id
    nextField(line);  // parent id
    if (nextField(line) != majorMinor) continue;
    nextField(line);  // root inside the file system
    std::string mountPoint = decodeOctal(nextField(line));
    // Skip the options and the optional fields up to the "-" separator.
    std::string_view field;
    do {
      field = nextField(line);
    } while (!field.empty() && field != "-");
    if (field.empty()) continue;
    nextField(line);  // file system type
    std::string source = decodeOctal(nextField(line));
    if (mountPoint.empty() || !holds(mountPoint, path)) continue;
    if (!best || mountPoint.size() >= bestLength) {
      bestLength = mountPoint.size();
      best = MountEntry{std::move(mountPoint), std::move(source)};
    }
  }
  return best;
}

std::string decodeLabel(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && name.size() - i >= 4 && name[i + 1] == 'x') {
      int hi = hexValue(name[i + 2]), lo = hexValue(name[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
        continue;
      }
    }
    out.push_back(name[i]);
  }
  return out;
}

}  // namespace linuxfs

namespace {

// $HOME, else the password database's entry, else "/". Assigned into `out` so a steady reading
// reuses its storage.
void homeFolder(std::string& out) {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    out.assign(home);
    return;
  }
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    out.assign(found->pw_dir);
    return;
  }
  out.assign("/");
}

int64_t bytes(uint64_t blocks, uint64_t size) {
  uint64_t out = 0;
  if (__builtin_mul_overflow(blocks, size, &out) || out > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(out);
}

// The model of the disk that holds the device ("Samsung SSD 980 PRO 1TB"): the device's own entry
// for a whole disk, its parent's for a partition. Absent for disks that name no model (virtual ones).
std::optional<std::string> diskModel(const std::string& sysBlock, dev_t device) {
  const std::string entry = sysBlock + "/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const char* model : {"/device/model", "/../device/model"}) {
    std::string text;
    if (linuxfs::readWholeFile(entry + model, text) != 0) continue;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    if (start < text.size()) return text.substr(start);
  }
  return std::nullopt;
}

std::optional<std::string> realPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
  return std::string(resolved);
}

}  // namespace

std::unique_ptr<DiskVolumePlatform> makeDiskVolumePlatform() { return std::make_unique<LinuxDiskVolumePlatform>(); }

LinuxDiskVolumePlatform::LinuxDiskVolumePlatform() : LinuxDiskVolumePlatform(Paths{}) {}

LinuxDiskVolumePlatform::LinuxDiskVolumePlatform(Paths paths) : paths_(std::move(paths)) {}

Result<VolumeValues, std::string> LinuxDiskVolumePlatform::readHomeVolume() {
  if (paths_.home.empty()) {
    homeFolder(home_);
  } else {
    home_.assign(paths_.home);
  }
  const std::string& home = home_;
  struct statvfs fs {};
  if (::statvfs(home.c_str(), &fs) != 0) {
    // A user without a home folder (its entry names one that does not exist, /nonexistent say)
    // is told so in words; the call is only for other failures.
    if (errno == ENOENT || errno == ENOTDIR) return Failure{"ev klasörü yok (" + home + ")"};
    return Failure{"statvfs(" + home + "): " + linuxfs::errnoText(errno)};
  }
  struct stat st {};
  if (::stat(home.c_str(), &st) != 0) return Failure{"stat(" + home + "): " + linuxfs::errnoText(errno)};

  if (namedDevice_ != st.st_dev) lookUpNames(home, st.st_dev);

  const uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  VolumeValues v;
  v.totalCapacity = bytes(fs.f_blocks, unit);
  v.availableForImportantUsage = bytes(fs.f_bavail, unit);
  v.availableCapacity = v.availableForImportantUsage;
  v.localizedName = label_;
  v.name = mountPoint_;
  return v;
}

void LinuxDiskVolumePlatform::lookUpNames(const std::string& home, dev_t device) {
  namedDevice_ = device;
  label_.reset();
  mountPoint_.reset();

  std::string mountinfo;
  std::optional<linuxfs::MountEntry> mount;
  if (linuxfs::readWholeFile(paths_.mountinfo, mountinfo) == 0) {
    const std::string majorMinor = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    mount = linuxfs::findMount(mountinfo, majorMinor, realPath(home).value_or(home));
  }
  if (mount) mountPoint_ = mount->mountPoint;

  // A label link points at the block device; it matches when that device is the one the home
  // folder lives on, or the one the mount names as its source.
  DIR* dir = ::opendir(paths_.byLabel.c_str());
  if (dir == nullptr) {
    label_ = diskModel(paths_.sysBlock, device);
    return;
  }
  const std::optional<std::string> source =
      mount && !mount->source.empty() && mount->source.front() == '/' ? realPath(mount->source) : std::nullopt;
  while (const dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string link = paths_.byLabel + "/" + e->d_name;
    struct stat target {};
    bool match = ::stat(link.c_str(), &target) == 0 && S_ISBLK(target.st_mode) && target.st_rdev == device;
    if (!match && source) match = realPath(link) == source;
    if (match) {
      label_ = linuxfs::decodeLabel(name);
      if (label_->empty()) label_.reset();
      break;
    }
  }
  ::closedir(dir);
  // Without a label the disk's model says more than a mount point ("/") does.
  if (!label_) label_ = diskModel(paths_.sysBlock, device);
}

}  // namespace kovra
