#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <deque>

#include "samplers/network/process_network_sampler.h"

namespace kovra {
namespace {

constexpr uint64_t kSecond = 1'000'000'000;

// Figures written compactly, one "name.pid,received,sent," line per process.
TrafficReading reading(std::string_view lines, bool partial = false) {
  TrafficReading r;
  r.partial = partial;
  while (!lines.empty()) {
    const size_t end = std::min(lines.find('\n'), lines.size());
    const std::string line(lines.substr(0, end));
    lines.remove_prefix(std::min(end + 1, lines.size()));
    const size_t dot = line.rfind('.', line.find(','));
    ProcessTraffic t;
    t.name = line.substr(0, dot);
    EXPECT_EQ(std::sscanf(line.c_str() + dot + 1, "%d,%" SCNu64 ",%" SCNu64, &t.pid, &t.bytesReceived, &t.bytesSent), 3)
        << line;
    r.processes.push_back(std::move(t));
  }
  return r;
}

// Scripted readings and a hand-moved clock. Each reading takes 50 ms of fake time.
struct Rig {
  uint64_t now = 100000 * kSecond;
  std::deque<Result<TrafficReading, std::string>> outputs;
  int runs = 0;
  ProcessNetworkSampler sampler{[this]() -> Result<TrafficReading, std::string> {
                                  ++runs;
                                  now += kSecond / 20;
                                  auto next = outputs.empty() ? Result<TrafficReading, std::string>(TrafficReading{})
                                                              : outputs.front();
                                  if (!outputs.empty()) outputs.pop_front();
                                  return next;
                                },
                                [this] { return now; }};

  void push(const std::string& rows) { outputs.push_back(reading(rows)); }
  SampleResult<ProcessNetworkSnapshot> sampleAfter(double seconds, const std::string& rows) {
    now += static_cast<uint64_t>(seconds * 1e9);
    push(rows);
    return sampler.sample();
  }
};

bool has(const ProcessNetworkSnapshot& s, int32_t pid) {
  return std::any_of(s.entries.begin(), s.entries.end(), [pid](const auto& e) { return e.pid == pid; });
}

// The entry of `pid`; a failure and an empty entry when there is none.
ProcessNetworkEntry entry(const ProcessNetworkSnapshot& s, int32_t pid) {
  for (const auto& e : s.entries)
    if (e.pid == pid) return e;
  ADD_FAILURE() << "no entry for pid " << pid;
  return {};
}

TEST(ProcessNetworkSampler, BaselineThenRatesAndTotals) {
  Rig rig;
  auto first = rig.sampleAfter(0, "a.10,1000,500,\n");
  ASSERT_FALSE(first);
  EXPECT_TRUE(first.error().isNotReady());
  EXPECT_EQ(rig.sampler.tracked().at(10).totalIn, 0u);

  // Run ends are 2 s apart; a process that shows up after the baseline counts its whole counter.
  auto second = rig.sampleAfter(2.0 - 0.05, "a.10,5000,1500,\nb.11,300,0,\n");
  ASSERT_TRUE(second);
  const auto a = entry(*second, 10);
  EXPECT_EQ(a.name, "a");
  EXPECT_DOUBLE_EQ(a.downloadBytesPerSecond, 2000.0);
  EXPECT_DOUBLE_EQ(a.uploadBytesPerSecond, 500.0);
  EXPECT_EQ(a.totalDownloadedBytes, 4000u);
  EXPECT_EQ(a.totalUploadedBytes, 1000u);
  EXPECT_EQ(entry(*second, 11).totalDownloadedBytes, 300u);
}

TEST(ProcessNetworkSampler, QuickCallsReuseTheLastResultWithoutReadingAgain) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,0,0,\n"));
  rig.now += kSecond / 10;
  auto early = rig.sampler.sample();
  ASSERT_FALSE(early);
  EXPECT_TRUE(early.error().isNotReady());
  EXPECT_EQ(rig.runs, 1);

  auto value = rig.sampleAfter(1.0, "a.1,100,0,\n");
  ASSERT_TRUE(value);
  rig.now += kSecond / 10;
  auto again = rig.sampler.sample();
  ASSERT_TRUE(again);
  EXPECT_EQ(*again, *value);
  EXPECT_EQ(rig.runs, 2);

  rig.now += kSecond / 10;  // 0.2 s after the last reading ended: read again
  rig.push("a.1,100,0,\n");
  ASSERT_TRUE(rig.sampler.sample());
  EXPECT_EQ(rig.runs, 3);
}

TEST(ProcessNetworkSampler, LongGapOrBackwardClockStartsANewBaseline) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,0,0,\nb.2,0,0,\n"));
  ASSERT_TRUE(rig.sampleAfter(1, "a.1,100,0,\nb.2,0,0,\n"));

  // 11 s later: no result, and the traffic of the gap is not counted.
  auto gap = rig.sampleAfter(11, "a.1,900,0,\nb.2,0,0,\n");
  ASSERT_FALSE(gap);
  EXPECT_TRUE(gap.error().isNotReady());
  auto after = rig.sampleAfter(1, "a.1,1000,0,\n");
  ASSERT_TRUE(after);
  EXPECT_EQ(entry(*after, 1).totalDownloadedBytes, 200u);

  // The clock steps back an hour: no crash, no result, and the vanished pid keeps its totals.
  rig.now -= 3600 * kSecond;
  rig.push("a.1,1000,0,\n");
  auto back = rig.sampler.sample();
  ASSERT_FALSE(back);
  EXPECT_TRUE(back.error().isNotReady());
  EXPECT_EQ(rig.sampler.tracked().count(2), 1u);
  auto resumed = rig.sampleAfter(1, "a.1,1010,0,\n");
  ASSERT_TRUE(resumed);
  EXPECT_EQ(entry(*resumed, 1).totalDownloadedBytes, 210u);
}

TEST(ProcessNetworkSampler, FailuresLeaveTheStateAlone) {
  Rig rig;
  rig.now = 0;  // the clock cannot be read
  EXPECT_EQ(rig.sampler.sample().error().message(), "clock_gettime(CLOCK_MONOTONIC_RAW) başarısız");
  EXPECT_EQ(rig.runs, 0);

  rig.now = 1000 * kSecond;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,100,0,\n"));
  const auto before = rig.sampler.tracked();

  rig.now += kSecond;
  rig.outputs.push_back(Failure{std::string("netlink sock_diag okunamadı: Operation not permitted (errno 1)")});
  EXPECT_EQ(rig.sampler.sample().error().message(), "netlink sock_diag okunamadı: Operation not permitted (errno 1)");
  EXPECT_EQ(rig.sampler.tracked(), before);

  // The next good run measures against the last good one.
  auto next = rig.sampleAfter(1, "a.1,400,0,\n");
  ASSERT_TRUE(next);
  EXPECT_EQ(entry(*next, 1).totalDownloadedBytes, 300u);
}

TEST(ProcessNetworkSampler, CounterResetsAndReusedPids) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,1000,1000,\nb.2,50,50,\n"));
  auto s = rig.sampleAfter(1, "a.1,10,2000,\nother.2,70,80,\n");
  ASSERT_TRUE(s);
  // A counter that went down adds nothing; a pid with a new name is a new process.
  EXPECT_EQ(entry(*s, 1).totalDownloadedBytes, 0u);
  EXPECT_EQ(entry(*s, 1).downloadBytesPerSecond, 0.0);
  EXPECT_EQ(entry(*s, 1).totalUploadedBytes, 1000u);
  EXPECT_EQ(entry(*s, 2).name, "other");
  EXPECT_EQ(entry(*s, 2).totalDownloadedBytes, 70u);
  EXPECT_EQ(entry(*s, 2).totalUploadedBytes, 80u);
}

TEST(ProcessNetworkSampler, VanishedProcessesAreKeptFor300Seconds) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,0,0,\nb.2,0,0,\nc.3,0,0,\n"));
  ASSERT_TRUE(rig.sampleAfter(1, "a.1,10,0,\nb.2,20,0,\nc.3,30,0,\n"));
  const uint64_t lastSeen = rig.now;

  // Every 5 s: pid 2 comes back after 100 s with a counter of 25; pid 3 never does.
  bool returned = false;
  SampleResult<ProcessNetworkSnapshot> s = notReady();
  while (rig.now - lastSeen < 300 * kSecond - 6 * kSecond) {
    returned = returned || rig.now - lastSeen >= 100 * kSecond;
    s = rig.sampleAfter(5 - 0.05, returned ? "a.1,10,0,\nb.2,25,0,\n" : "a.1,10,0,\n");
    ASSERT_TRUE(s);
    if (!returned) {
      EXPECT_EQ(entry(*s, 2).downloadBytesPerSecond, 0.0);
      EXPECT_EQ(entry(*s, 2).totalDownloadedBytes, 20u);
    }
  }
  // Back within 300 s: its whole counter at return is new traffic.
  EXPECT_EQ(entry(*s, 2).totalDownloadedBytes, 45u);
  ASSERT_TRUE(has(*s, 3));
  EXPECT_EQ(entry(*s, 3).totalDownloadedBytes, 30u);

  rig.now = lastSeen + 300 * kSecond - kSecond / 20;  // this run ends exactly 300 s after it was seen
  rig.push("a.1,10,0,\n");
  auto atLimit = rig.sampler.sample();
  ASSERT_TRUE(atLimit);
  EXPECT_TRUE(has(*atLimit, 3));
  auto dropped = rig.sampleAfter(1, "a.1,10,0,\n");
  ASSERT_TRUE(dropped);
  EXPECT_FALSE(has(*dropped, 3));
}

TEST(ProcessNetworkSampler, TotalsHoldAtTheLargestValue) {
  Rig rig;
  const std::string huge = "h.5," + std::to_string(UINT64_MAX - 1) + ",1,\n";
  ASSERT_FALSE(rig.sampleAfter(0, ""));
  ASSERT_TRUE(rig.sampleAfter(1, huge));
  ASSERT_TRUE(rig.sampleAfter(1, ""));  // gone, then back: its whole counter again
  auto s = rig.sampleAfter(1, huge);
  ASSERT_TRUE(s);
  EXPECT_EQ(entry(*s, 5).totalDownloadedBytes, UINT64_MAX);
  EXPECT_EQ(entry(*s, 5).totalUploadedBytes, 2u);
}

TEST(ProcessNetworkSampler, RatesFollowWhenTheCountersWereReadNotWhenTheReadingEnded) {
  // A reading that takes a counter growing 1,000,000 B/s when it starts, then takes 0.1 s or
  // 0.9 s, in turn, to match sockets to processes. It starts every 2 s.
  uint64_t now = 1000 * kSecond;
  const uint64_t origin = now;
  int runs = 0;
  ProcessNetworkSampler sampler(
      [&]() -> Result<TrafficReading, std::string> {
        const uint64_t bytes = (now - origin) / 1000;
        now += runs++ % 2 == 0 ? kSecond / 10 : 9 * kSecond / 10;
        return reading("x.5," + std::to_string(bytes) + ",0,\n");
      },
      [&] { return now; });
  ASSERT_FALSE(sampler.sample());
  for (int i = 1; i <= 6; ++i) {
    now = origin + static_cast<uint64_t>(i) * 2 * kSecond;
    auto s = sampler.sample();
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(entry(*s, 5).downloadBytesPerSecond, 1'000'000.0) << "run " << i;
    EXPECT_EQ(entry(*s, 5).totalDownloadedBytes, static_cast<uint64_t>(i) * 2'000'000u);
  }
}

TEST(ProcessNetworkSampler, APartialRunDoesNotMakeUnlistedProcessesNew) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "a.1,1000,0,\nb.2,500,0,\n"));
  // The owner search stopped early and did not get to pid 2.
  rig.now += kSecond - kSecond / 20;
  rig.outputs.push_back(reading("a.1,2000,0,\n", true));
  auto partial = rig.sampler.sample();
  ASSERT_TRUE(partial);
  EXPECT_EQ(entry(*partial, 2).downloadBytesPerSecond, 0.0);
  EXPECT_EQ(entry(*partial, 2).totalDownloadedBytes, 0u);
  // Listed again: what it moved since its counters were last read, over that whole time.
  auto s = rig.sampleAfter(1 - 0.05, "a.1,3000,0,\nb.2,2500,0,\n");
  ASSERT_TRUE(s);
  EXPECT_EQ(entry(*s, 2).totalDownloadedBytes, 2000u);
  EXPECT_DOUBLE_EQ(entry(*s, 2).downloadBytesPerSecond, 1000.0);
  EXPECT_DOUBLE_EQ(entry(*s, 1).downloadBytesPerSecond, 1000.0);
  // A complete run that does not list it: gone, as before.
  ASSERT_TRUE(rig.sampleAfter(1 - 0.05, "a.1,3000,0,\n"));
  EXPECT_FALSE(rig.sampler.tracked().at(2).presentInPrevious);
}

TEST(ProcessNetworkSampler, APidListedTwiceKeepsItsCountersUntilItIsListedOnce) {
  Rig rig;
  ASSERT_FALSE(rig.sampleAfter(0, "victim.100,1000,0,\n"));
  // A second entry for the victim: neither is believed, nothing is counted.
  auto forged = rig.sampleAfter(1 - 0.05, "victim.100,2000,0,\nvictim.100,7,7,\n");
  ASSERT_TRUE(forged);
  EXPECT_EQ(entry(*forged, 100).totalDownloadedBytes, 0u);
  auto s = rig.sampleAfter(1 - 0.05, "victim.100,3000,0,\n");
  ASSERT_TRUE(s);
  EXPECT_EQ(entry(*s, 100).totalDownloadedBytes, 2000u);
  EXPECT_DOUBLE_EQ(entry(*s, 100).downloadBytesPerSecond, 1000.0);
}

}  // namespace
}  // namespace kovra
