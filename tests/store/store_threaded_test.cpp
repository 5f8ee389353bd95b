// The store on real threads: the headless event loop as main sequence and one worker thread per
// sample kind. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "core/event_loop_executor.h"
#include "core/fake_samplers.h"
#include "logic/app_settings.h"
#include "logic/defaults_database.h"
#include "logic/login_item.h"
#include "logic/notifying.h"
#include "store/sample_queues.h"
#include "store/store.h"

namespace kovra {
namespace {

// Counts how many calls of one sampler overlap, and on which thread they run.
struct CallProbe {
  std::atomic<int> inside{0};
  std::atomic<int> maxInside{0};
  std::atomic<int> calls{0};
  std::atomic<bool> ranOnMainThread{false};
  std::thread::id mainThread = std::this_thread::get_id();

  void enter() {
    int now = ++inside;
    int seen = maxInside.load();
    while (now > seen && !maxInside.compare_exchange_weak(seen, now)) {
    }
    ++calls;
    if (std::this_thread::get_id() == mainThread) ranOnMainThread = true;
  }
  void leave() { --inside; }
};

// A memory sampler that, on its first call, waits until the CPU sampler has been entered: the
// two kinds must run in parallel for this to finish quickly.
class ProbedMemory : public MemorySampling {
 public:
  SampleResult<MemorySnapshot> sample() override {
    probe.enter();
    if (probe.calls.load() == 1) {
      std::unique_lock lock(mutex);
      cpuEntered.wait_for(lock, std::chrono::seconds(10), [&] { return cpuSeen; });
      parallel = cpuSeen;
    }
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
    probe.leave();
    return fakeMemorySnapshot();
  }
  CallProbe probe;
  std::mutex mutex;
  std::condition_variable cpuEntered;
  bool cpuSeen = false;
  bool parallel = false;
};

class ProbedCPU : public CPUSampling {
 public:
  explicit ProbedCPU(ProbedMemory& memory) : memory_(memory) {}
  SampleResult<CPUSnapshot> sample() override {
    probe.enter();
    {
      std::lock_guard g(memory_.mutex);
      memory_.cpuSeen = true;
    }
    memory_.cpuEntered.notify_all();
    probe.leave();
    return fakeCPUSnapshot();
  }
  CallProbe probe;

 private:
  ProbedMemory& memory_;
};

TEST(StoreThreaded, ReadsOfOneKindNeverOverlapWhileKindsRunInParallel) {
  EventLoopExecutor loop;
  auto memory = std::make_shared<ProbedMemory>();
  auto cpu = std::make_shared<ProbedCPU>(*memory);
  SamplerSet samplers = SamplerSet::simulated();
  samplers.memory = memory;
  samplers.cpu = cpu;
  auto settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
  auto notifier = std::make_shared<MantikRecordingNotifier>();
  bool timedOut = false;
  {
    // Every kind on a worker of its own, so memory's read can wait for the CPU's.
    Store store(samplers, settings, notifier, MantikClock::system(), 1,
                StoreEnvironment{loop, std::make_shared<ThreadedQueueFactory>(), std::nullopt});
    store.setVisible(Surface::menuPanel, true);
    store.startIgnoringRunMode();
    // A refresh reads memory at once and the loop's first turn reads it again: two memory reads
    // are in flight together; the later refreshes skip what was read just now.
    int refreshesDone = 0;
    auto stopWhenDone = [&] {
      if (refreshesDone == 3 && store.memoryHistoryRevision() >= 2 && store.disk()) loop.stop();
    };
    auto token = store.memoryHistoryRevisionProperty().subscribe([&](uint64_t) { stopWhenDone(); });
    auto diskToken = store.diskProperty().subscribe([&](const auto&) { stopWhenDone(); });
    for (int i = 0; i < 3; ++i) {
      store.refreshNow([&] {
        ++refreshesDone;
        stopWhenDone();
      });
    }
    loop.postAfter(30, 0, [&] {
      timedOut = true;
      loop.stop();
    });
    loop.run();
    ASSERT_FALSE(timedOut);
    EXPECT_TRUE(store.memory());
    EXPECT_TRUE(store.cpu());
    EXPECT_TRUE(store.disk());
    EXPECT_GE(memory->probe.calls.load(), 2);
  }  // destroying the store joins the sample threads
  EXPECT_EQ(memory->probe.maxInside.load(), 1);
  EXPECT_EQ(cpu->probe.maxInside.load(), 1);
  EXPECT_TRUE(memory->parallel);
  EXPECT_FALSE(memory->probe.ranOnMainThread.load());
}

TEST(StoreThreaded, ScanProgressAndResultHopToTheEventLoop) {
  EventLoopExecutor loop;
  auto settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
  Store store(SamplerSet::simulated(), settings, std::make_shared<MantikRecordingNotifier>(), MantikClock::system(), 1,
              StoreEnvironment{loop, nullptr, std::string("/nonexistent")});
  std::thread::id loopThread = std::this_thread::get_id();
  std::vector<DiskScanState::Case> seen;
  bool wrongThread = false;
  auto token = store.diskScanProperty().subscribe([&](const DiskScanState& s) {
    seen.push_back(s.kind);
    if (std::this_thread::get_id() != loopThread) wrongThread = true;
    if (s.kind == DiskScanState::Case::finished) loop.stop();
  });
  loop.post([&] { store.startDiskScan(); });
  loop.postAfter(30, 0, [&] { loop.stop(); });
  loop.run();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), DiskScanState::Case::finished);
  EXPECT_EQ(store.diskScan().result, fakeDiskScanResult());
  EXPECT_FALSE(wrongThread);
}

TEST(SampleQueues, ThreadedQueueRunsBlocksInOrderAndDropsTheRestWhenDestroyed) {
  ThreadedQueueFactory factory;
  std::mutex m;
  std::condition_variable cv;
  bool gateOpen = false;
  bool firstStarted = false;
  std::vector<int> order;  // written only by the queue's thread while it lives
  {
    auto queue = factory.makeSerialQueue("com.example.Kovra.sample.memory");
    EXPECT_EQ(queue->label(), "com.example.Kovra.sample.memory");
    for (int i = 0; i < 50; ++i) queue->async([&order, i] { order.push_back(i); });
    queue->async([&] {
      std::unique_lock lock(m);
      firstStarted = true;
      cv.notify_all();
      cv.wait(lock, [&] { return gateOpen; });
    });
    queue->async([&order] { order.push_back(-1); });  // dropped: still queued at destruction
    {
      std::unique_lock lock(m);
      cv.wait(lock, [&] { return firstStarted; });
    }
    std::thread opener([&] {
      std::lock_guard g(m);
      gateOpen = true;
      cv.notify_all();
    });
    // Destroying waits for the running block; the opener lets it finish. Whether the last block
    // ran before the stop request is a race, so only the first fifty are checked exactly.
    opener.join();
  }
  ASSERT_GE(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
}

// The store's own queues: the two kinds an idle tray item reads run where they are submitted;
// every other kind gets a worker thread.
TEST(SampleQueues, DefaultQueuesReadMemoryAndNetworkInPlaceAndTheOtherKindsOnWorkers) {
  auto factory = Store::defaultQueueFactory();
  const std::thread::id caller = std::this_thread::get_id();
  for (MantikSampleKind kind : kAllSampleKinds) {
    auto queue = factory->makeSerialQueue(sampleQueueLabel(kind));
    std::mutex m;
    std::condition_variable cv;
    std::optional<std::thread::id> ranOn;
    queue->async([&] {
      std::lock_guard g(m);
      ranOn = std::this_thread::get_id();
      cv.notify_all();
    });
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return ranOn.has_value(); });
    const bool inPlace = kind == MantikSampleKind::memory || kind == MantikSampleKind::network;
    EXPECT_EQ(*ranOn == caller, inPlace) << rawValue(kind);
  }
}

}  // namespace
}  // namespace kovra
