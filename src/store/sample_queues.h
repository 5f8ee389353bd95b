#pragma once
// Serial queues for the sampler calls: one per sample kind, so reads of one kind never overlap.
// The store asks a factory for them, so tests can run the calls inline (or hold them to model a
// read in flight) instead of on a thread.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kovra {

class SerialQueue {
 public:
  using Block = std::function<void()>;
  virtual ~SerialQueue() = default;
  // Runs `block` after every block submitted before it, never two at once. Safe from any thread.
  // Blocks not started when the queue is destroyed are dropped; a running one is waited for.
  virtual void async(Block block) = 0;
  virtual const std::string& label() const = 0;
};

class SampleQueueFactory {
 public:
  virtual ~SampleQueueFactory() = default;
  virtual std::unique_ptr<SerialQueue> makeSerialQueue(const std::string& label) = 0;
};

// One sampling worker thread shared by every queue of the factory, started with the first block,
// at a lowered priority (background utility work), named "ks.sample". It runs the blocks of all
// queues one at a time in submission order, so a kind is never read twice at once.
//
// Queues whose labels are in `onCallerLabels` have no thread: each block runs at once on the
// thread that submits it. That suits readings so cheap (a kept descriptor read of a small kernel
// file) that handing them to a thread and the result back would cost more than the read: two
// wake-ups a turn, for a loop that runs every second while the program sits idle in the tray.
class ThreadedQueueFactory final : public SampleQueueFactory {
 public:
  ThreadedQueueFactory() = default;
  explicit ThreadedQueueFactory(std::set<std::string> onCallerLabels) : onCaller_(std::move(onCallerLabels)) {}
  std::unique_ptr<SerialQueue> makeSerialQueue(const std::string& label) override;

  // The worker thread behind the threaded queues.
  class Worker;

 private:
  std::set<std::string> onCaller_;
  // Shared with the queues; the thread ends when the last of them goes.
  std::shared_ptr<Worker> worker_;
};

// Runs every block at once on the submitting thread, unless holding is on: then blocks wait until
// runHeld() (in submission order, across all queues). For tests; not thread-safe.
class ManualQueueFactory final : public SampleQueueFactory {
 public:
  std::unique_ptr<SerialQueue> makeSerialQueue(const std::string& label) override;

  void setHolding(bool holding);
  // Runs the held blocks (and any they submit), returns how many ran.
  size_t runHeld();
  size_t heldCount() const;
  // Labels of every queue made so far, in order.
  std::vector<std::string> labels() const;

 private:
  class Queue;
  struct State {
    bool holding = false;
    // Each held block with the life token of its queue: a destroyed queue's blocks are dropped.
    std::deque<std::pair<std::weak_ptr<int>, SerialQueue::Block>> held;
    std::vector<std::string> labels;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace kovra
