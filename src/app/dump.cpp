#include "app/dump.h"

#include <unistd.h>

#include <algorithm>
#include <functional>
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
  // The samplers share nothing, so each pass reads them side by side, one thread each: a pass
  // then takes as long as its slowest read instead of all of them in a row. The results are
  // still taken in the reading order.
  auto sideBySide = [](std::vector<std::function<void()>> reads) {
    std::vector<std::jthread> threads;
    threads.reserve(reads.size());
    for (auto& read : reads) threads.emplace_back(std::move(read));
  };

  // Warm-up: the samplers that work from differences take their baseline here.
  sideBySide({[&] { (void)s.memory->sample(); }, [&] { (void)s.cpu->sample(); },
              [&] { (void)s.network->sample(); }, [&] { (void)s.disk->sample(); },
              [&] { (void)s.processes->sample(); }, [&] { (void)s.battery->sample(); },
              [&] { (void)s.processNetwork->sample(); }});

  if (settleDelay > 0) std::this_thread::sleep_for(std::chrono::duration<double>(settleDelay));

  std::optional<SampleResult<MemorySnapshot>> memory;
  std::optional<SampleResult<CPUSnapshot>> cpu;
  std::optional<SampleResult<NetworkSnapshot>> network;
  std::optional<SampleResult<DiskSnapshot>> disk;
  std::optional<SampleResult<ProcessListSnapshot>> processes;
  std::optional<SampleResult<std::optional<BatterySnapshot>>> battery;
  std::optional<SampleResult<ProcessNetworkSnapshot>> processNetwork;
  sideBySide({[&] { memory.emplace(s.memory->sample()); }, [&] { cpu.emplace(s.cpu->sample()); },
              [&] { network.emplace(s.network->sample()); }, [&] { disk.emplace(s.disk->sample()); },
              [&] { processes.emplace(s.processes->sample()); }, [&] { battery.emplace(s.battery->sample()); },
              [&] { processNetwork.emplace(s.processNetwork->sample()); }});

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
