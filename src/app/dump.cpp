#include "app/dump.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

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
  // Warm-up: the samplers that work from differences take their baseline here.
  (void)s.memory->sample();
  (void)s.cpu->sample();
  (void)s.network->sample();
  (void)s.disk->sample();
  (void)s.processes->sample();
  (void)s.battery->sample();
  (void)s.processNetwork->sample();

  if (settleDelay > 0) std::this_thread::sleep_for(std::chrono::duration<double>(settleDelay));

  DumpPayload p;
  keep(p.memory, s.memory->sample(), "memory", p.errors);
  keep(p.cpu, s.cpu->sample(), "cpu", p.errors);
  keep(p.network, s.network->sample(), "network", p.errors);
  keep(p.disk, s.disk->sample(), "disk", p.errors);
  keep(p.processes, s.processes->sample(), "processes", p.errors);
  if (auto b = s.battery->sample(); b.ok()) {
    p.battery = b.value();
  } else {
    p.errors.push_back("battery: " + b.error().text());
  }
  keep(p.processNetwork, s.processNetwork->sample(), "processNetwork", p.errors);
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
