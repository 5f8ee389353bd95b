#pragma once
// Temperatures and fans on Linux: the hwmon chips under <sys>/class/hwmon and, when they offer no
// temperature at all, the thermal zones under <sys>/class/thermal.
//
// Listing a chip reads its name, its `device` link (which drive or card it belongs to), its
// labels and limits, and opens each input file. A reading is then one pread per input into a
// stack buffer: no allocation, no path lookup. The list is taken again when a sensor reports
// that it is gone (ENODEV, ENOENT) and every kRescanSeconds, for drives plugged in since.
//
// A graphics card whose device is runtime-suspended is not read (reading would wake it): its
// sensors report `asleep` until it wakes on its own.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/unique_fd.h"
#include "platform/linux/sys_root.h"
#include "platform/sensors_platform.h"

namespace kovra {

class LinuxSensorsPlatform : public SensorsPlatform {
 public:
  using Clock = std::function<double()>;  // monotonic seconds

  explicit LinuxSensorsPlatform(std::string sysRoot = linuxfs::sysRoot(), Clock clock = {});
  void read(std::vector<SensorChannel>& channels) override;

  static constexpr double kRescanSeconds = 60;
  // Chips and zones listed at most (a tree that claims more is not a machine's).
  static constexpr size_t kMaxFolders = 64;

 private:
  struct Kept {
    UniqueFd input;
    double scale = 1;       // millidegrees → °C, or 1 for revolutions per minute
    int sleeper = -1;       // index into sleepers_, for sensors of a device that can be suspended
  };
  struct Sleeper {
    UniqueFd status;        // <device>/power/runtime_status
    bool suspended = false;
  };

  void list(std::vector<SensorChannel>& channels);
  void listHwmon(std::vector<SensorChannel>& channels);
  void listThermal(std::vector<SensorChannel>& channels);

  std::string root_;
  Clock clock_;
  std::vector<Kept> kept_;
  std::vector<Sleeper> sleepers_;
  std::optional<double> listedAt_;
  bool relist_ = true;
};

}  // namespace kovra
