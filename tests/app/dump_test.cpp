#include "app/dump.h"

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>

#include "core/fake_samplers.h"
#include "core/log.h"

namespace kovra {
namespace {

struct Fakes {
  std::shared_ptr<FakeMemorySampler> memory = std::make_shared<FakeMemorySampler>();
  std::shared_ptr<FakeCPUSampler> cpu = std::make_shared<FakeCPUSampler>();
  std::shared_ptr<FakeNetworkSampler> network = std::make_shared<FakeNetworkSampler>();
  std::shared_ptr<FakeDiskSampler> disk = std::make_shared<FakeDiskSampler>();
  std::shared_ptr<FakeProcessSampler> processes = std::make_shared<FakeProcessSampler>();
  std::shared_ptr<FakeBatterySampler> battery = std::make_shared<FakeBatterySampler>(std::nullopt);
  std::shared_ptr<FakeProcessNetworkSampler> processNetwork = std::make_shared<FakeProcessNetworkSampler>();
  std::shared_ptr<FakeSensorsSampler> sensors = std::make_shared<FakeSensorsSampler>();

  SamplerSet set() const {
    return SamplerSet{memory, cpu, network, processes, std::make_shared<FakeAppTerminator>(),
                      disk,   std::make_shared<FakeDiskScanner>(), battery, processNetwork, sensors};
  }
};

// Runs the dump into a memory file and returns (status, bytes written).
std::pair<int, std::string> runDump(const SamplerSet& set) {
  int fd = ::memfd_create("dump", MFD_CLOEXEC);
  int status = Dump::run(set, 0, fd);
  std::string out;
  char buf[4096];
  ssize_t n;
  ::lseek(fd, 0, SEEK_SET);
  while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  ::close(fd);
  return {status, out};
}

TEST(DumpArguments, OnlyTheExactArgumentSelectsTheDump) {
  EXPECT_TRUE(Dump::isRequested({"kovra", "--dump"}));
  EXPECT_TRUE(Dump::isRequested({"kovra", "-v", "--dump", "x"}));
  EXPECT_FALSE(Dump::isRequested({"kovra"}));
  EXPECT_FALSE(Dump::isRequested({"kovra", "--dump=1"}));
  EXPECT_FALSE(Dump::isRequested({"kovra", "--dumpx"}));
  EXPECT_FALSE(Dump::isRequested({"kovra", "-dump"}));
}

TEST(DumpPayloadAssembly, AllWorkingGivesEmptyErrorsAndNoBatteryKey) {
  Fakes f;
  auto [status, out] = runDump(f.set());
  EXPECT_EQ(status, 0);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');
  auto j = Json::parse(out);
  EXPECT_EQ(j["errors"], Json::array());
  for (const char* key : {"memory", "cpu", "network", "disk", "processes", "processNetwork", "timestamp"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_FALSE(j.contains("battery"));
  EXPECT_NE(out.find("\"errors\" : []"), std::string::npos);
  // Top-level keys in the printer's order.
  std::vector<std::string> order{"\"cpu\"", "\"disk\"", "\"errors\"", "\"memory\"", "\"network\"", "\"processes\"",
                                 "\"processNetwork\"", "\"timestamp\""};
  size_t last = 0;
  for (const auto& k : order) {
    size_t at = out.find("\n  " + k);
    ASSERT_NE(at, std::string::npos) << k;
    EXPECT_GT(at, last) << k;
    last = at;
  }
  // Warm-up pass plus the real one.
  EXPECT_EQ(f.cpu->box.callCount(), 2);
  EXPECT_EQ(f.battery->box.callCount(), 2);
}

TEST(DumpPayloadAssembly, FailuresBecomeErrorLinesInReadingOrder) {
  Fakes f;
  f.cpu->box.set(notReady());
  f.memory->box.set(unreadable("host_statistics64 başarısız"));
  f.processes->box.set(unreadable("proc okunamadı"));
  f.disk->box.set(unreadable("statvfs başarısız"));
  f.battery->box.set(unreadable("pil okunamadı"));
  DumpPayload p = Dump::makePayload(f.set(), 0);
  for (const char* key : {"cpu", "memory", "processes", "disk", "battery"}) EXPECT_FALSE(p.readings.contains(key)) << key;
  EXPECT_TRUE(p.readings.contains("network"));
  // Disk is read before processes in the dump.
  EXPECT_EQ(p.errors, (std::vector<std::string>{"memory: host_statistics64 başarısız", "cpu: notReady",
                                                "disk: statvfs başarısız", "processes: proc okunamadı",
                                                "battery: pil okunamadı"}));
}

// A process list whose warm-up read only returns once the processor has been read twice: each
// sampler settles on its own, so a slow first read never holds back another sampler's second.
TEST(DumpPayloadAssembly, OneSlowWarmUpDoesNotHoldBackTheOthers) {
  struct SecondReadSignals : CPUSampling {
    std::promise<void> secondRead;
    int reads = 0;
    SampleResult<CPUSnapshot> sample() override {
      if (++reads == 2) secondRead.set_value();
      return fakeCPUSnapshot();
    }
  };
  struct WaitsForIt : ProcessSampling {
    std::shared_future<void> cpuSecondRead;
    bool sawIt = false;
    int reads = 0;
    SampleResult<ProcessListSnapshot> sample() override {
      // The bound only keeps a broken build from hanging; the result does not depend on it.
      if (++reads == 1) sawIt = cpuSecondRead.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
      return fakeProcessListSnapshot();
    }
  };
  Fakes f;
  auto cpu = std::make_shared<SecondReadSignals>();
  auto processes = std::make_shared<WaitsForIt>();
  processes->cpuSecondRead = cpu->secondRead.get_future().share();
  SamplerSet set = f.set();
  set.cpu = cpu;
  set.processes = processes;
  DumpPayload p = Dump::makePayload(set, 0);
  EXPECT_TRUE(processes->sawIt);
  EXPECT_EQ(processes->reads, 2);
  EXPECT_EQ(fromJson<CPUSnapshot>(p.readings["cpu"]), fakeCPUSnapshot());
  EXPECT_EQ(fromJson<ProcessListSnapshot>(p.readings["processes"]), fakeProcessListSnapshot());
  EXPECT_TRUE(p.errors.empty());
}

TEST(DumpPayloadAssembly, PathsAreEscapedAndThePayloadReadsBack) {
  Fakes f;
  auto [status, out] = runDump(f.set());
  ASSERT_EQ(status, 0);
  EXPECT_NE(out.find("\\/usr\\/share\\/applications\\/org.example.Browser.desktop"), std::string::npos);
  auto back = Json::parse(out);
  EXPECT_EQ(fromJson<ProcessListSnapshot>(back["processes"]), fakeProcessListSnapshot());
  EXPECT_EQ(fromJson<MemorySnapshot>(back["memory"]), fakeMemorySnapshot());
  EXPECT_FALSE(back.contains("battery"));
}

TEST(DumpPayloadAssembly, NonFiniteValueFailsWithNothingWritten) {
  Fakes f;
  f.cpu->box.set(CPUSnapshot{std::nan(""), 0, 0, 4});
  LogCapture log;
  auto [status, out] = runDump(f.set());
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(out.empty());
  auto messages = log.messages("store");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("--dump çıktısı üretilemedi: ", 0), 0u);
}

}  // namespace
}  // namespace kovra
