#include "app/dump.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <cerrno>
#include <thread>
#include <vector>

#include "core/log.h"
#include "store/kinds.h"

namespace kovra::Dump {

namespace {

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

DumpPayload makePayload(const SamplerSet& samplers, double settleDelay) {
  const auto& table = sampleKindTable();
  struct Slot {
    Json value;
    std::optional<std::string> error;
  };
  // Each kind runs on its own thread: its warm-up read, then its second read `settleDelay` after
  // the warm-up began (the moment its own clock took the baseline), so a slow first read of one
  // sampler (the process list) never pushes back the others' second reads. The samplers share
  // nothing; rates still divide by the time each sampler saw pass. The results are taken in the
  // table's order.
  using Clock = std::chrono::steady_clock;
  const auto settle = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(settleDelay, 0.0)));
  std::array<Slot, kAllSampleKinds.size()> slots;
  {
    // The process list's reads are by far the slowest: its reader starts first, so that neither
    // the other threads' start nor a busy machine pushes back its second read, which ends the
    // dump. Per-process traffic comes next, for the same reason.
    std::array<size_t, kAllSampleKinds.size()> order{};
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_partition(order.begin(), order.end(), [](size_t i) { return kAllSampleKinds[i] == MantikSampleKind::processes; });
    std::stable_partition(order.begin() + 1, order.end(),
                          [](size_t i) { return kAllSampleKinds[i] == MantikSampleKind::processNetwork; });
    std::vector<std::jthread> readers;
    readers.reserve(table.size());
    for (size_t i : order) {
      readers.emplace_back([&, i] {
        const auto began = Clock::now();
        Slot warmUp;
        table[i].dump(samplers, warmUp.value, warmUp.error);
        if (settle > Clock::duration::zero()) std::this_thread::sleep_until(began + settle);
        table[i].dump(samplers, slots[i].value, slots[i].error);
      });
    }
  }

  DumpPayload p;
  std::vector<std::pair<int, std::string>> errors;
  for (size_t i = 0; i < table.size(); ++i) {
    const SampleKindRow& row = table[i];
    if (slots[i].error) {
      errors.emplace_back(row.dumpPosition, std::string(row.name) + ": " + *slots[i].error);
    } else if (!slots[i].value.is_null()) {
      p.readings[std::string(row.name)] = std::move(slots[i].value);
    }
  }
  std::stable_sort(errors.begin(), errors.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [position, line] : errors) p.errors.push_back(std::move(line));
  p.timestamp = std::chrono::system_clock::now();
  return p;
}

Result<std::string, JsonEncodeError> encode(const DumpPayload& payload) {
  Json document = payload.readings;
  document["errors"] = toJson(payload.errors);
  document["timestamp"] = toJson(payload.timestamp);
  return encodePrettySorted(document);
}

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
