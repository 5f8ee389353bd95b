// The store on real threads: the headless event loop as main sequence and one worker thread per
// sample kind. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>
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

// Samplers that count their overlapping calls, each on its own probe and on one shared by all.
template <class Contract, class Snapshot, Snapshot (*Make)()>
class Probed : public Contract {
 public:
  explicit Probed(CallProbe& all) : all_(all) {}
  SampleResult<Snapshot> sample() override {
    probe.enter();
    all_.enter();
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
    all_.leave();
    probe.leave();
    return Make();
  }
  CallProbe probe;

 private:
  CallProbe& all_;
};
using ProbedMemory = Probed<MemorySampling, MemorySnapshot, &fakeMemorySnapshot>;
using ProbedCPU = Probed<CPUSampling, CPUSnapshot, &fakeCPUSnapshot>;

TEST(StoreThreaded, SamplerCallsNeverOverlapAndRunOffTheMainSequence) {
  EventLoopExecutor loop;
  CallProbe all;
  auto memory = std::make_shared<ProbedMemory>(all);
  auto cpu = std::make_shared<ProbedCPU>(all);
  SamplerSet samplers = SamplerSet::simulated();
  samplers.memory = memory;
  samplers.cpu = cpu;
  auto settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
  auto notifier = std::make_shared<MantikRecordingNotifier>();
  bool timedOut = false;
  {
    // Every kind on the one sampling worker, memory and network too.
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
  }  // destroying the store joins the sampling worker
  EXPECT_EQ(all.maxInside.load(), 1);
  EXPECT_GE(cpu->probe.calls.load(), 1);
  EXPECT_FALSE(all.ranOnMainThread.load());
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
// every other kind runs on one shared sampling worker.
TEST(SampleQueues, DefaultQueuesReadMemoryAndNetworkInPlaceAndTheOtherKindsOnOneWorker) {
  auto factory = Store::defaultQueueFactory();
  const std::thread::id caller = std::this_thread::get_id();
  std::set<std::thread::id> workers;
  std::vector<std::unique_ptr<SerialQueue>> queues;
  for (MantikSampleKind kind : kAllSampleKinds) {
    queues.push_back(factory->makeSerialQueue(sampleQueueLabel(kind)));
    std::mutex m;
    std::condition_variable cv;
    std::optional<std::thread::id> ranOn;
    queues.back()->async([&] {
      std::lock_guard g(m);
      ranOn = std::this_thread::get_id();
      cv.notify_all();
    });
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return ranOn.has_value(); });
    const bool inPlace = kind == MantikSampleKind::memory || kind == MantikSampleKind::network;
    EXPECT_EQ(*ranOn == caller, inPlace) << rawValue(kind);
    if (!inPlace) workers.insert(*ranOn);
  }
  EXPECT_EQ(workers.size(), 1u);
}

// A queue that goes away waits for its running block and leaves the other queues' blocks on the
// shared worker alone.
TEST(SampleQueues, AQueueGoingAwayLeavesTheOtherQueuesBlocks) {
  ThreadedQueueFactory factory;
  auto first = factory.makeSerialQueue("com.example.Kovra.sample.a");
  auto second = factory.makeSerialQueue("com.example.Kovra.sample.b");
  std::mutex m;
  std::condition_variable cv;
  bool started = false, release = false, firstDone = false;
  std::vector<std::string> ran;
  first->async([&] {
    std::unique_lock lock(m);
    started = true;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });
    ran.push_back("a1");
  });
  second->async([&] {
    std::lock_guard g(m);
    ran.push_back("b1");
    cv.notify_all();
  });
  {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return started; });
  }
  std::thread releaser([&] {
    std::lock_guard g(m);
    release = true;
    cv.notify_all();
  });
  first.reset();  // waits for "a1"
  {
    std::lock_guard g(m);
    firstDone = !ran.empty() && ran.front() == "a1";
  }
  releaser.join();
  std::unique_lock lock(m);
  cv.wait(lock, [&] { return ran.size() >= 2; });
  EXPECT_TRUE(firstDone);
  EXPECT_EQ(ran, (std::vector<std::string>{"a1", "b1"}));
}

}  // namespace
}  // namespace kovra
