#include "app/dump.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <cerrno>
#include <thread>
#include <vector>

#include "core/log.h"

namespace kovra::Dump {

namespace {

template <class T>
void keep(std::optional<T>& slot, SampleResult<T> r, const char* key, std::vector<std::string>& errors) {
  if (r.ok()) {
    slot = std::move(r).value();
  } else {
    errors.push_back(std::string(key) + ": " + r.error().text());
  }
}

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool isRequested(const std::vector<std::string>& arguments) {
  return std::find(arguments.begin(), arguments.end(), "--dump") != arguments.end();
}

DumpPayload makePayload(const SamplerSet& s, double settleDelay) {
  // Each sampler runs on its own thread: its warm-up read, then its second read `settleDelay`
  // after the warm-up began (the moment its own clock took the baseline), so a slow first read of
  // one sampler (the process list) never pushes back the others' second reads. The samplers
  // share nothing; rates still divide by the time each sampler saw pass. The results are taken
  // in the reading order.
  using Clock = std::chrono::steady_clock;
  const auto settle = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(settleDelay, 0.0)));
  auto twice = [settle](auto& sampler, auto& slot) {
    return [&sampler, &slot, settle] {
      const auto began = Clock::now();
      (void)sampler->sample();
      if (settle > Clock::duration::zero()) std::this_thread::sleep_until(began + settle);
      slot.emplace(sampler->sample());
    };
  };

  std::optional<SampleResult<MemorySnapshot>> memory;
  std::optional<SampleResult<CPUSnapshot>> cpu;
  std::optional<SampleResult<NetworkSnapshot>> network;
  std::optional<SampleResult<DiskSnapshot>> disk;
  std::optional<SampleResult<ProcessListSnapshot>> processes;
  std::optional<SampleResult<std::optional<BatterySnapshot>>> battery;
  std::optional<SampleResult<ProcessNetworkSnapshot>> processNetwork;
  {
    std::jthread readers[] = {std::jthread(twice(s.memory, memory)),     std::jthread(twice(s.cpu, cpu)),
                              std::jthread(twice(s.network, network)),   std::jthread(twice(s.disk, disk)),
                              std::jthread(twice(s.processes, processes)), std::jthread(twice(s.battery, battery)),
                              std::jthread(twice(s.processNetwork, processNetwork))};
  }

  DumpPayload p;
  keep(p.memory, std::move(*memory), "memory", p.errors);
  keep(p.cpu, std::move(*cpu), "cpu", p.errors);
  keep(p.network, std::move(*network), "network", p.errors);
  keep(p.disk, std::move(*disk), "disk", p.errors);
  keep(p.processes, std::move(*processes), "processes", p.errors);
  if (battery->ok()) {
    p.battery = battery->value();
  } else {
    p.errors.push_back("battery: " + battery->error().text());
  }
  keep(p.processNetwork, std::move(*processNetwork), "processNetwork", p.errors);
  p.timestamp = std::chrono::system_clock::now();
  return p;
}

Result<std::string, JsonEncodeError> encode(const DumpPayload& payload) { return encodePrettySorted(toJson(payload)); }

int run(const SamplerSet& samplers, double settleDelay, int fd) {
  auto encoded = encode(makePayload(samplers, settleDelay));
  if (!encoded.ok()) {
    Log::store.error("--dump çıktısı üretilemedi: " + encoded.error().description);
    return 1;
  }
  std::string bytes = std::move(encoded).value();
  bytes.push_back('\n');
  return writeAll(fd, bytes) ? 0 : 1;
}

void runIfRequested(const std::vector<std::string>& arguments, const SamplerSet& samplers) {
  if (!isRequested(arguments)) return;
  std::exit(run(samplers, 1.0, STDOUT_FILENO));
}

}  // namespace kovra::Dump
