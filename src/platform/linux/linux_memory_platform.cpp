#include "platform/linux/linux_memory_platform.h"

#include <dirent.h>

#include <cerrno>
#include <ctime>
#include <utility>

#include "platform/linux/psi.h"

namespace kovra {

namespace {
uint64_t minus(uint64_t a, uint64_t b) { return a > b ? a - b : 0; }
uint64_t plus(uint64_t a, uint64_t b) { return __builtin_add_overflow(a, b, &a) ? UINT64_MAX : a; }
}  // namespace

UptimeClock systemUptimeClock() {
  return [] {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
  };
}

std::unique_ptr<MemoryPlatform> makeMemoryPlatform() { return std::make_unique<LinuxMemoryPlatform>(); }

LinuxMemoryPlatform::LinuxMemoryPlatform() : LinuxMemoryPlatform(Paths{}, systemUptimeClock()) {}

LinuxMemoryPlatform::LinuxMemoryPlatform(Paths paths, UptimeClock clock)
    : paths_(std::move(paths)),
      clock_(std::move(clock)),
      meminfo_(paths_.meminfo),
      pressure_(paths_.pressure) {}

Result<linuxfs::MemInfo, std::string> LinuxMemoryPlatform::readMeminfo() {
  auto text = meminfo_.read();
  if (!text.ok()) return Failure{linuxfs::readFailure(paths_.meminfo, text.error())};
  return linuxfs::parseMeminfo(text.value());
}

uint64_t LinuxMemoryPlatform::zramBytes() {
  const double now = clock_();
  if (!zramScannedAt_ || now - *zramScannedAt_ >= kZramRescanSeconds) {
    zramScannedAt_ = now;
    zram_.clear();
    if (DIR* dir = ::opendir(paths_.blockDevices.c_str())) {
      while (const dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (name.substr(0, 4) == "zram") zram_.emplace_back(paths_.blockDevices + "/" + e->d_name + "/mm_stat");
      }
      ::closedir(dir);
    }
  }
  uint64_t total = 0;
  for (auto& device : zram_) {
    // A device that vanished or is not set up contributes nothing.
    auto text = device.read();
    if (!text.ok()) continue;
    total = plus(total, linuxfs::parseZramMemUsed(text.value()).value_or(0));
  }
  return total;
}

Result<MemoryFigures, std::string> LinuxMemoryPlatform::figures() {
  haveInfo_ = false;
  auto read = readMeminfo();
  if (!read.ok()) return Failure{read.error()};
  info_ = read.value();
  const linuxfs::MemInfo& m = info_;
  struct Required {
    const char* name;
    const std::optional<uint64_t>& value;
  };
  for (const Required& r : {Required{"MemTotal", m.memTotal}, Required{"MemFree", m.memFree},
                            Required{"Buffers", m.buffers}, Required{"Cached", m.cached},
                            Required{"AnonPages", m.anonPages}, Required{"Shmem", m.shmem}}) {
    if (!r.value) return Failure{paths_.meminfo + ": " + r.name + " okunamadı"};
  }
  if (*m.memTotal == 0) return Failure{paths_.meminfo + " MemTotal: 0"};
  haveInfo_ = true;

  MemoryFigures f;
  f.totalBytes = *m.memTotal;
  f.appBytes = plus(*m.anonPages, *m.shmem);
  f.cachedBytes = plus(plus(*m.buffers, minus(*m.cached, *m.shmem)), m.sReclaimable.value_or(0));
  f.compressedBytes = plus(m.zswap.value_or(0), zramBytes());
  f.wiredBytes = minus(minus(minus(minus(*m.memTotal, *m.memFree), f.appBytes), f.cachedBytes), f.compressedBytes);
  return f;
}

Result<MemoryPressure, std::string> LinuxMemoryPlatform::pressure() {
  auto level = pressureLevel();
  if (!level.ok()) return Failure{level.error()};
  return memoryPressureFromRaw(level.value()).value_or(MemoryPressure::normal);
}

Result<int32_t, std::string> LinuxMemoryPlatform::pressureLevel() {
  if (!haveInfo_) return Failure{paths_.meminfo + " okunamadı"};
  if (!info_.memAvailable) return Failure{paths_.meminfo + ": MemAvailable okunamadı"};

  linuxfs::PressureInputs in;
  in.memTotal = info_.memTotal.value_or(0);
  in.memAvailable = *info_.memAvailable;
  in.swapTotal = info_.swapTotal.value_or(0);
  in.swapFree = info_.swapFree.value_or(0);

  if (psiAbsent_) return tracker_.update(in, clock_());
  auto text = pressure_.read();
  if (text.ok()) {
    in.psi = linuxfs::parsePsi(text.value());
    if (!in.psi) return Failure{paths_.pressure + ": beklenmeyen biçim"};
  } else if (text.error() != ENOENT && text.error() != EOPNOTSUPP) {
    // Without the file (or with pressure-stall information switched off) the level comes from
    // available memory alone; any other failure is a problem worth reporting.
    return Failure{linuxfs::readFailure(paths_.pressure, text.error())};
  } else {
    psiAbsent_ = true;  // it does not appear later
  }
  return tracker_.update(in, clock_());
}

Result<SwapUsage, std::string> LinuxMemoryPlatform::swapUsage() {
  if (!haveInfo_) return Failure{paths_.meminfo + " okunamadı"};
  if (!info_.swapTotal) return Failure{paths_.meminfo + ": SwapTotal okunamadı"};
  if (!info_.swapFree) return Failure{paths_.meminfo + ": SwapFree okunamadı"};
  return SwapUsage{*info_.swapTotal, minus(*info_.swapTotal, *info_.swapFree)};
}

}  // namespace kovra
